#!/usr/bin/env bash
# Builds the program optimised and writes its Debian package,
# build/package/kavalun_VERSION_amd64.deb.  Usage: scripts/package.sh [BUILD_DIR]
# The build folder is its own: the program is built there with Debian's hardening flags.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/deb}
. scripts/deps.sh
ensure_packages
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKAVALUN_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build "$build" --target kavalun -j"$(nproc)" >/dev/null
rm -f build/package/kavalun_*.deb # so that only this version's package is left
log=$(cpack --config "$build"/CPackConfig.cmake -B build/package 2>&1) || { echo "$log" >&2; exit 1; }
ls build/package/kavalun_*_amd64.deb
