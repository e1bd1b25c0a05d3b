#!/usr/bin/env bash
# The whole test suite once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TRELLUM_ASAN_BUILD_DIR:-build-asan}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRELLUM_SANITIZE=ON >/dev/null
cmake --build "$build" -j 2
# Qt and fontconfig keep caches for the life of the process; leaks are not what this run is for.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" -j 2 --output-on-failure
