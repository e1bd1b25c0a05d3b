#!/usr/bin/env bash
# check_install.sh BUILD: installs the build into a temporary prefix with `cmake --install` and
# checks the installation's layout, then runs the installed programs from there with nothing of
# the build around them: --version without a display, the demo database and a report on it.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"${CMAKE:-cmake}" --install "$build" --prefix "$root/usr" >/dev/null
cd "$root/usr"

# every file the installation holds, and nothing else (no tests, tools of the build or benchmarks)
expected=$(cat <<'LIST'
bin/trellum
bin/trellum-demo-db
bin/trellum-report
share/applications/trellum.desktop
share/doc/trellum/changelog.gz
share/doc/trellum/copyright
share/icons/hicolor/128x128/apps/trellum.png
share/icons/hicolor/16x16/apps/trellum.png
share/icons/hicolor/22x22/apps/trellum.png
share/icons/hicolor/24x24/apps/trellum.png
share/icons/hicolor/256x256/apps/trellum.png
share/icons/hicolor/32x32/apps/trellum.png
share/icons/hicolor/48x48/apps/trellum.png
share/icons/hicolor/64x64/apps/trellum.png
share/icons/hicolor/scalable/apps/trellum.svg
share/man/man1/trellum-demo-db.1.gz
share/man/man1/trellum-report.1.gz
share/man/man1/trellum.1.gz
share/metainfo/org.trellum.trellum.metainfo.xml
share/trellum/MDI.BMP
LIST
)
actual=$(find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$(printf '%s\n' "$expected" | LC_ALL=C sort)" ] \
  || fail "installed files differ: $(diff <(printf '%s\n' "$expected" | LC_ALL=C sort) <(printf '%s\n' "$actual") | grep '^[<>]' | tr '\n' ' ')"

# the programs as a user's shell runs them: only the installed folder on the path, no display
# (a sanitizer build's options kept)
sanitizers=()
for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
  [ -n "${!name:-}" ] && sanitizers+=("$name=${!name}")
done
run() { env -i HOME="$root" LANG=C.UTF-8 PATH="$root/usr/bin:/usr/bin:/bin" QT_QPA_PLATFORM=xcb "${sanitizers[@]}" "$@"; }
version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' share/metainfo/org.trellum.trellum.metainfo.xml)
[ -n "$version" ] || fail "no release version in the metainfo"
[ "$(run trellum --version)" = "trellum $version" ] || fail "trellum --version: $(run trellum --version 2>&1)"
[ "$(run trellum-report --version)" = "trellum-report $version" ] || fail "trellum-report --version"
run trellum --help | grep -q '^Usage: trellum' || fail "trellum --help"
run trellum-report --help | grep -q -- '--version' || fail "trellum-report --help names --version"
zcat share/man/man1/trellum-report.1.gz | grep -q -- 'completion' || fail "the manual page lacks the options"

run trellum-demo-db --out "$root/demo.db" >/dev/null || fail "trellum-demo-db"
run trellum-report --report completion --db "$root/demo.db" --region 01 --from 2026-11-01 --to 2026-11-30 \
  --json "$root/completion.json" --xlsx "$root/completion.xlsx" || fail "the headless demo"
grep -q '"report": *"completion"' "$root/completion.json" || fail "the demo's grid"
[ "$(head -c 2 "$root/completion.xlsx")" = "PK" ] || fail "the demo's workbook"
echo "installed layout and programs: ok"
