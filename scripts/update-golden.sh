#!/bin/bash
# Writes the golden output of each report again: the headless runner's JSON of region 01 for
# November 2026 on a fresh demo database, into tests/golden/<report>.json. test_golden compares
# every run against these files cell by cell. Run it only after a deliberate change of a report's
# figures or layout, and read the diff before committing it.
#
#   bash scripts/update-golden.sh [BUILD_DIR]     (default build-test, already built)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-test}
for tool in "$build/tools/trellum-demo-db" "$build/cli/trellum-report"; do
  [ -x "$tool" ] || { echo "missing $tool: build first (cmake --build $build)" >&2; exit 1; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$build/tools/trellum-demo-db" --out "$scratch/demo.db"
for report in completion ledger performance monthend; do
  "$build/cli/trellum-report" --report "$report" --db "$scratch/demo.db" --region 01 \
    --from 2026-11-01 --to 2026-11-30 --today 2026-12-01 --json "$top/tests/golden/$report.json"
  echo "tests/golden/$report.json"
done
