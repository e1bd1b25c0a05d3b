#!/usr/bin/env bash
# The benchmarks at company scale, one command: installs what is missing, builds the benchmark
# programs (Release, in build-bench), builds the 1,000,000-order demo databases into bench/cache/
# once (again only when the generator, the schema or the options change), runs every benchmark and
# writes bench/results.json and docs/benchmarks.md. Not part of the test command.
#   BENCH_RUNS=N       timed runs of each figure (default 7; start-ups 5)
#   BENCH_BUILD_DIR    the build folder (default build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
started=$(date +%s)
load=$(cut -d' ' -f1-3 /proc/loadavg)
export LC_ALL=C.UTF-8

bash scripts/install-deps.sh
build=${BENCH_BUILD_DIR:-build-bench}
runs=${BENCH_RUNS:-7}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
targets=(trellum-demo-db trellum-bench-reports trellum-bench-export trellum-bench-print trellum-bench-summary)
startup=0
known=$(cmake --build "$build" --target help)
if grep -q '^trellum-bench-startup:' <<<"$known"; then
  targets+=(trellum-bench-startup trellum-bench-runstall)
  startup=1
fi
cmake --build "$build" -j 2 --target "${targets[@]}"

# the databases, cached under a fingerprint of what makes them
cache=bench/cache
mkdir -p "$cache"
options=(--orders 1000000 --regions 20 --offices 300 --workers 600 --categories 15 --years 5 --seed 1)
fingerprint=$( { cat tools/DemoDatabase.cpp tools/DemoSchema.cpp tools/DemoMain.cpp db/SqlFunctions.cpp;
                 echo "${options[*]}"; } | sha256sum | cut -d' ' -f1)
db=$cache/orders-1m.db
plain=$cache/orders-1m-noidx.db
columns=$cache/orders-1m-columns.db
if [ "$(cat "$cache/databases.stamp" 2>/dev/null)" != "$fingerprint" ] || [ ! -f "$db" ] || [ ! -f "$plain" ]; then
  echo "bench: building the demo databases (1,000,000 orders)"
  rm -f "$cache/databases.stamp" "$columns"
  "$build/tools/trellum-demo-db" --out "$db" "${options[@]}" >/dev/null
  "$build/tools/trellum-demo-db" --out "$plain" "${options[@]}" --no-indexes >/dev/null
  echo "$fingerprint" >"$cache/databases.stamp"
fi
rm -f "$cache"/part-*.json

echo "bench: report runs"
"$build/bench/trellum-bench-reports" --db "$db" --plain-db "$plain" --column-db "$columns" --runs "$runs" \
  --many-offices-db "$cache/offices-20k-$fingerprint.db" --part "$cache/part-reports.json"
echo "bench: export"
"$build/bench/trellum-bench-export" --out "$cache/export" --runs "$runs" --reader tests/workbook/read_workbook.py \
  --part "$cache/part-export.json"
echo "bench: PDF"
"$build/bench/trellum-bench-print" --out "$cache/print" --runs "$runs" --part "$cache/part-print.json" \
  2> >(grep -v 'XDG_RUNTIME_DIR' >&2)
if [ "$startup" = 1 ]; then
  echo "bench: start-up and memory"
  "$build/bench/trellum-bench-startup" --db "$db" --runs "$(( runs < 5 ? runs : 5 ))" --part "$cache/part-startup.json" \
    2> >(grep -v -e 'does not support' -e 'XDG_RUNTIME_DIR' >&2)
  echo "bench: a long run in the report window and the stop button"
  "$build/bench/trellum-bench-runstall" --db "$plain" --runs 3 --part "$cache/part-runstall.json" \
    2> >(grep -v -e 'does not support' -e 'XDG_RUNTIME_DIR' >&2) || true
else
  echo "bench: the desktop program's windows are not built here; start-up is not measured" >&2
fi

"$build/bench/trellum-bench-summary" --parts "$cache" --results bench/results.json --doc docs/benchmarks.md \
  --notes bench/notes.md --load "$load" --elapsed "$(( $(date +%s) - started ))"
echo "bench: done in $(( $(date +%s) - started )) s; see $top/docs/benchmarks.md"
