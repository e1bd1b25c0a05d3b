#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs Trellum on the embedded demo database.
# Like an installer it points the user's database settings at the demo database when none are set.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
bash scripts/install-deps.sh
build=${TRELLUM_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2
mkdir -p demo
if [ ! -f demo/trellum-demo.db ]; then
  "$build/tools/trellum-demo-db" --out demo/trellum-demo.db
fi
settings="${XDG_CONFIG_HOME:-$HOME/.config}/Quorvel2011.conf"
if [ ! -f "$settings" ]; then
  mkdir -p "$(dirname "$settings")"
  printf '[DBConfig]\nSvr=sqlite:%s\nUID=\nPWD=\nDBname=\n' "$top/demo/trellum-demo.db" >"$settings"
  echo "Database settings written to $settings (the demo database)."
fi
if [ -x "$build/app/trellum" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  echo "Starting Trellum. Demo login: 1001 / 1234 (one position), 1002 / 1234 (three positions)."
  exec "$build/app/trellum" "$@"
fi
echo "No display here: running the headless demo instead."
"$build/cli/trellum-report" --report completion --db demo/trellum-demo.db --region 01 \
  --from 2026-11-01 --to 2026-11-30 --json demo/completion.json --xlsx demo/completion.xlsx
echo "The completion overview of region 01 for November 2026 is in $top/demo/completion.json and $top/demo/completion.xlsx"
