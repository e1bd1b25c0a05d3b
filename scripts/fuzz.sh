#!/usr/bin/env bash
# A bounded fuzz run (libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer) over the
# hand-off split, the embedded database's T-SQL functions and the workbook model's operations.
# Each target runs FUZZ_SECONDS (default 60) from its corpus in tests/fuzz/corpus/<target>;
# a crash is written there as crash-* (keep it: it becomes a regression case) and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TRELLUM_FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=(handoff sqlfunctions sheet)
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELLUM_FUZZ=ON >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]/#/fuzz_}"
for t in "${targets[@]}"; do
  corpus="tests/fuzz/corpus/$t"
  work=$(mktemp -d)
  # every kept case first, as a regression run, then the timed exploration
  "$build/tests/fuzz/fuzz_$t" -runs=0 "$corpus" >/dev/null 2>"$work/replay.log" || { cat "$work/replay.log"; exit 1; }
  echo "fuzz_$t: ${seconds}s"
  "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$corpus/crash-" "$work" "$corpus" >"$work/run.log" 2>&1 || { tail -n 40 "$work/run.log"; exit 1; }
  grep -E '^(#[0-9]+.*DONE|Done)' "$work/run.log" | tail -n 1 || true
  rm -rf "$work"
done
echo "fuzz: no crash"
