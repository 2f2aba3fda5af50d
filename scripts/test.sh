#!/usr/bin/env bash
# Builds and runs every test: once optimised, once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages
ensure_comma_locale

build_tree build/release
ctest --test-dir build/release --output-on-failure
# The Qt tests once more in the users' locale, whose C library reads "0.5" as 0.
LANG=cs_CZ.UTF-8 LC_ALL=cs_CZ.UTF-8 ctest --test-dir build/release --output-on-failure -L qt

# The numeric library and its tests once more on ARM64, cross-built and run under qemu-user:
# the same digits without the x87 unit.
cmake -S cmake/aarch64 -B build/aarch64 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/aarch64/toolchain.cmake" >/dev/null
cmake --build build/aarch64 -j"$(nproc)"
ctest --test-dir build/aarch64 --output-on-failure

# The same for Windows: cross-built with MinGW-w64 and run under Wine in a fresh prefix.
cmake -S cmake/mingw64 -B build/mingw64 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw64/toolchain.cmake" >/dev/null
cmake --build build/mingw64 -j"$(nproc)"
ctest --test-dir build/mingw64 --output-on-failure

build_tree build/sanitize -DKAVALUN_SANITIZE=ON -DKAVALUN_BENCH=OFF
ctest --test-dir build/sanitize --output-on-failure
scripts/check-install.sh # the installed files, the Debian package and the installed program
# The MSI's and the ZIP's sources hold together, made from a stand-in folder; the packages from
# the real folder are tried under Wine by scripts/check-windows-delivery.sh.
standin=$(mktemp -d)
mkdir "$standin/folder"
: >"$standin/folder/kavalun.exe"
scripts/windows-package.sh "$standin/folder" "" "$standin" >/dev/null
rm -rf "$standin"
