#!/usr/bin/env bash
# Builds the Debian package and installs it into a bare Debian 12 root (debootstrap minbase,
# cached) with `apt install ./trellum_*.deb`, as a user would, then checks from the installed paths
# only: both programs' --version, the headless demo on a demo database made by the installed tool,
# the desktop program up to its login window (offscreen, and on an X server to see the window),
# the SQL Server driver chain present, the menu entry, icons and metainfo valid, and the removal.
# Runs as root. Every step is bounded in time; the root is unmounted before it is removed.
set -euo pipefail
cd "$(dirname "$0")/.."

base=${TRELLUM_PACKAGE_ROOT:-${TMPDIR:-/tmp}/trellum-pkgtest-root}
run="$base.run"
log="$base.log"

mounted_under() { awk -v p="$1/" 'index($2 "/", p) == 1 { print $2 }' /proc/self/mounts | sort -r; }
unmount_all() {
  local m
  for m in $(mounted_under "$run"); do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true; done
}
remove_run() {
  unmount_all
  if [ -n "$(mounted_under "$run")" ]; then
    echo "package-test: refusing to remove $run: still mounted: $(mounted_under "$run" | tr '\n' ' ')" >&2
    return 1
  fi
  rm -rf --one-file-system "$run"
}
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  remove_run || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

fail() { echo "package-test: FAILED: $*" >&2; exit 1; }
step() { echo "package-test: $*"; }

[ "$(id -u)" = 0 ] || fail "needs root (debootstrap and chroot)"

step "building the package"
bash scripts/package.sh >"$base.package.log" 2>&1 || { tail -n 30 "$base.package.log" >&2; fail "the package did not build"; }
deb=$(ls build-package/trellum_*.deb)
version=$(dpkg-deb -f "$deb" Version)

if [ ! -x "$base/bin/bash" ]; then
  step "making a bare Debian 12 root in $base (once)"
  mirror=$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1 | awk '{print $2}')
  [ -n "$mirror" ] || mirror=$(grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | head -n 1 | awk '{print $2}')
  [ -n "$mirror" ] || mirror=http://deb.debian.org/debian
  rm -rf --one-file-system "$base.new"
  timeout 600 debootstrap --variant=minbase bookworm "$base.new" "$mirror" >"$log" 2>&1 \
    || fail "debootstrap: $(tail -n 2 "$log")"
  mv "$base.new" "$base"
fi

# a fresh copy of the bare root for each run
remove_run
cp -a "$base" "$run"
cp /etc/resolv.conf "$run/etc/resolv.conf" 2>/dev/null || true
if ls /etc/apt/sources.list.d/*.sources >/dev/null 2>&1; then
  rm -f "$run/etc/apt/sources.list"
  cp /etc/apt/sources.list.d/*.sources "$run/etc/apt/sources.list.d/"
fi
mount --bind /proc "$run/proc"
mount --bind /dev "$run/dev"
mount --bind /dev/pts "$run/dev/pts" 2>/dev/null || true
# the X server's sockets, for the window check
x11=
if command -v Xvfb >/dev/null && command -v xwininfo >/dev/null; then
  mkdir -p /tmp/.X11-unix "$run/tmp/.X11-unix"
  mount --bind /tmp/.X11-unix "$run/tmp/.X11-unix" && x11=1
fi
cp "$deb" "$run/root/"

# a command in the root, as a user's shell would run it: no variables of the build, a bounded time
in_root() {
  local seconds=$1
  shift
  timeout --kill-after=5 "$seconds" chroot "$run" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

step "apt install ./$(basename "$deb") in the bare root"
in_root 300 apt-get update -qq >"$run.apt" 2>&1 || { tail -n 5 "$run.apt" >&2; fail "apt-get update"; }
in_root 420 env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/root/$(basename "$deb")" >>"$run.apt" 2>&1 \
  || { tail -n 20 "$run.apt" >&2; fail "apt install of the package"; }

step "the programs' versions"
[ "$(in_root 20 trellum-report --version)" = "trellum-report $version" ] || fail "trellum-report --version"
[ "$(in_root 20 trellum --version)" = "trellum $version" ] || fail "trellum --version"

step "the headless demo from the installed programs"
in_root 120 trellum-demo-db --out /root/demo.db >/dev/null || fail "trellum-demo-db"
in_root 120 trellum-report --report completion --db /root/demo.db --region 01 \
  --from 2026-11-01 --to 2026-11-30 --json /root/completion.json --xlsx /root/completion.xlsx \
  || fail "the headless demo"
python3 - "$run/root/completion.json" <<'PY' || fail "the demo's grid"
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
assert doc["report"] == "completion", doc["report"]
assert len(doc["rows"]) > doc["fixedRows"] + 1, "no office rows"
PY
[ "$(head -c 2 "$run/root/completion.xlsx")" = "PK" ] || fail "the demo's workbook"

step "the SQL Server driver chain installed (a refused connection, not a missing driver)"
in_root 10 odbcinst -q -d | grep -qx '\[FreeTDS\]' || fail "FreeTDS is not registered with unixODBC"
mkdir -p "$run/root/.config"
printf '[DBConfig]\nSvr=127.0.0.1,9\nUID=sa\nPWD=x\nDBname=repair\n' >"$run/root/.config/Quorvel2011.conf"
set +e
in_root 90 trellum-report --report completion --region 01 --from 2026-11-01 --to 2026-11-30 \
  --json /root/none.json 2>"$run.sqlserver"
code=$?
set -e
[ "$code" = 3 ] || fail "a refused SQL Server connection: exit $code, $(cat "$run.sqlserver")"
# the refusal comes from FreeTDS itself: Qt's ODBC plugin, unixODBC and the driver are all there
grep -q '\[FreeTDS\]' "$run.sqlserver" || fail "the driver chain is incomplete: $(cat "$run.sqlserver")"
rm -f "$run/root/.config/Quorvel2011.conf"

step "trellum offscreen up to its login window"
set +e
in_root 15 env QT_QPA_PLATFORM=offscreen trellum >"$run.offscreen" 2>&1
code=$?
set -e
# still running when its time was up: the login window waits for the user
[ "$code" = 124 ] || fail "trellum offscreen ended with $code: $(tail -n 5 "$run.offscreen")"
! grep -qi 'could not\|cannot\|failed\|not loaded' "$run.offscreen" || fail "trellum offscreen: $(cat "$run.offscreen")"

if [ -n "$x11" ]; then
  step "trellum on an X server: its login window shows"
  number=$(( 90 + RANDOM % 400 ))
  while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$(( number + 1 )); done
  display=:$number
  Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do xwininfo -root -display "$display" >/dev/null 2>&1 && break; sleep 0.2; done
  # started by `timeout` itself, so that ending it ends the program in the root as well
  timeout --kill-after=5 30 chroot "$run" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PATH=/usr/bin:/bin \
    DISPLAY="$display" QT_QPA_PLATFORM=xcb trellum >"$run.x11" 2>&1 &
  trellum_pid=$!
  shown=
  for _ in $(seq 100); do
    if xwininfo -root -tree -display "$display" 2>/dev/null | grep -q '"Quorvel系统"'; then shown=1; break; fi
    sleep 0.2
  done
  kill "$trellum_pid" 2>/dev/null || true
  wait "$trellum_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
  [ -n "$shown" ] || fail "no login window on the X server: $(tail -n 5 "$run.x11")"
fi

step "the menu entry, icons, metainfo and manual pages"
desktop-file-validate "$run/usr/share/applications/trellum.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$run/usr/share/metainfo/org.trellum.trellum.metainfo.xml" >/dev/null \
  || fail "appstreamcli validate"
for icon in scalable/apps/trellum.svg 16x16/apps/trellum.png 48x48/apps/trellum.png 256x256/apps/trellum.png; do
  [ -s "$run/usr/share/icons/hicolor/$icon" ] || fail "icon $icon missing"
done
[ -s "$run/usr/share/trellum/MDI.BMP" ] || fail "MDI.BMP missing"
for page in trellum trellum-report trellum-demo-db; do
  gzip -t "$run/usr/share/man/man1/$page.1.gz" || fail "manual page of $page"
done

step "apt remove leaves no file of the package"
in_root 120 env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q trellum >>"$run.apt" 2>&1 || fail "apt purge"
for f in usr/bin/trellum usr/bin/trellum-report usr/share/trellum usr/share/applications/trellum.desktop; do
  [ ! -e "$run/$f" ] || fail "$f left after removal"
done

step "passed: $(basename "$deb")"
