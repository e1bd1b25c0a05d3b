#!/usr/bin/env bash
# Pictures of the program for the README: the login, the position list, the main window and each
# report window after a run, on a freshly written demo database, saved as PNGs in docs/screenshots/.
#
#   scripts/screenshots.sh [BUILD_DIR]      (default: build)
#
# The windows are drawn on Qt's offscreen platform, so no display is needed; with
# TRELLUM_SCREENSHOTS_XVFB=1 they run on a virtual X server (xvfb-run) instead.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
out="$root/docs/screenshots"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja
fi
ninja -C "$build" -j2 trellum-screenshots trellum-demo-db

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/tools/trellum-demo-db" --out "$work/demo.db" >/dev/null
mkdir -p "$out"

run=("$build/app/trellum-screenshots" --db "$work/demo.db" --out "$out" --user 1002 --password 1234)
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
if [ "${TRELLUM_SCREENSHOTS_XVFB:-0}" = 1 ]; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x1000x24" "${run[@]}"
else
  QT_QPA_PLATFORM=offscreen "${run[@]}"
fi
