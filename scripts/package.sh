#!/usr/bin/env bash
# Builds the Debian package build-package/trellum_<version>_<arch>.deb: a Release build of the
# programs installed under /usr, without the tests, the benchmarks and the window probe.
# Install it with: apt install ./build-package/trellum_*.deb
# TRELLUM_PACKAGE_CONTACT="Name <address>" names the package's maintainer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TRELLUM_PACKAGE_DIR:-build-package}
launcher=()
if [ -n "${CCACHE_DIR:-}" ] && command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTRELLUM_WERROR=ON -DBUILD_TESTING=OFF -DTRELLUM_BENCH=OFF -DTRELLUM_UI_PROBE=OFF \
  -DTRELLUM_INSTALL_DEMO_TOOL=ON "${launcher[@]}" \
  ${TRELLUM_PACKAGE_CONTACT:+"-DTRELLUM_PACKAGE_CONTACT=$TRELLUM_PACKAGE_CONTACT"} >/dev/null
cmake --build "$build" -j 2
rm -f "$build"/trellum_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { tail -n 20 "$build/cpack.log" >&2; exit 1; }
ls "$build"/trellum_*.deb
