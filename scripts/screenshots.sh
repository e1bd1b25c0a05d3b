#!/usr/bin/env bash
# Pictures of the program for the README: the login, the position list, the main window and each
# report window after a run, on a freshly written demo database, saved as PNGs in docs/screenshots/.
#
#   scripts/screenshots.sh [BUILD_DIR]      (default: build)
#
# The windows are drawn on Qt's offscreen platform, so no display is needed; with
# TRELLUM_SCREENSHOTS_XVFB=1 they run on a virtual X server (xvfb-run) instead. The main window and
# the report windows are also drawn as they open on 1024 x 768 and 1366 x 768 screens
# (main-1024x768.png, completion-1024x768.png, ...).
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

# The same windows on the small screens people have, placed and sized by the program itself.
for screen in 1024x768 1366x768; do
  w=${screen%x*}
  h=${screen#*x}
  if [ "${TRELLUM_SCREENSHOTS_XVFB:-0}" = 1 ]; then
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 ${screen}x24" "${run[@]}" --screen-tag "$screen"
  else
    printf '{ "screens": [ { "name": "screen", "x": 0, "y": 0, "width": %s, "height": %s, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }\n' \
      "$w" "$h" >"$work/screen-$screen.json"
    QT_QPA_PLATFORM="offscreen:configfile=$work/screen-$screen.json" "${run[@]}" --screen-tag "$screen"
  fi
done
