#!/usr/bin/env bash
# Installs everything Trellum needs to build, run and test on Debian 12, from Debian's
# packages only. Runs as root (no sudo), non-interactively; safe to run again.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git ca-certificates
  # Qt 6: widgets, sql, test, the SQLite and ODBC sql drivers, the offscreen/xcb platforms
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6sql6-sqlite libqt6sql6-odbc libgl-dev
  # the framework's own texts (buttons, file dialog, calendar) in Chinese
  qt6-translations-l10n
  # databases
  libsqlite3-dev sqlite3 unixodbc unixodbc-dev tdsodbc
  # workbook writer
  libxlsxwriter-dev zlib1g-dev
  # tests
  libgtest-dev python3 python3-openpyxl xvfb xauth
  # the printed pages: their text, fonts and images read back
  poppler-utils
  # the real-input tests: a window manager, input through the X server, window properties
  openbox xdotool x11-utils
  # fonts for the windows and the screenshots
  fonts-wqy-microhei fonts-noto-cjk
  # the sanitizer build and the fuzzers
  clang-14 libclang-rt-14-dev
  # the package: icon files (SVG), manual pages, the menu entry's and metainfo's validators,
  # the library dependencies, and the bare root the package test installs it into
  qt6-svg-dev help2man desktop-file-utils appstream dpkg-dev debootstrap
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" != 0 ]; then
  echo "install-deps: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
