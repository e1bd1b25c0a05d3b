#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs all tests:
# installs the packages, builds warning-free and runs the suite under CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TRELLUM_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELLUM_WERROR=ON >/dev/null
cmake --build "$build" -j 2
ctest --test-dir "$build" -j 2 --output-on-failure
