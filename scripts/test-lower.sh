#!/usr/bin/env bash
# Builds the lower libraries (base, output, db, workbook) alone, with nothing above them
# configured, and runs their tests: a header of a library above included by mistake fails here.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TRELLUM_BUILD_DIR:-build-lower}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELLUM_WERROR=ON \
  -DTRELLUM_LOWER_LIBRARIES_ONLY=ON "$@" >/dev/null
cmake --build "$build" -j 2
ctest --test-dir "$build" -j 2 --output-on-failure
