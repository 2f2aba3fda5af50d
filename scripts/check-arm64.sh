#!/usr/bin/env bash
# Cross-builds the whole program for ARM64 against Debian's arm64 Qt and runs the numeric and
# window tests under qemu-user on the offscreen platform:
#   scripts/check-arm64.sh [scratch folder, default build/arm64]
# The arm64 packages are fetched with a private apt state and unpacked into a sysroot in the
# scratch folder: the machine's own package database is never touched (adding the architecture
# to it would upgrade dozens of host packages).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages

scratch=$(realpath -m "${1:-build/arm64}")
sysroot=$scratch/sysroot
apt_state=$scratch/apt
mkdir -p "$apt_state"/{lists/partial,cache/archives/partial,etc/parts,etc/preferences} "$sysroot"
: >"$apt_state/status"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$apt_state/etc/sources.list" <<EOF
deb [arch=arm64 signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb [arch=arm64 signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb [arch=arm64 signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
apt_arm64=(-o APT::Architecture=arm64 -o APT::Architectures=arm64
    -o Dir::State="$apt_state" -o Dir::State::status="$apt_state/status"
    -o Dir::Cache="$apt_state/cache" -o Dir::Etc::SourceList="$apt_state/etc/sources.list"
    -o Dir::Etc::SourceParts="$apt_state/etc/parts"
    -o Dir::Etc::PreferencesParts="$apt_state/etc/preferences" -o Debug::NoLocking=1
    -o APT::Install-Recommends=0 -o APT::Sandbox::User=root)

# What the build and the window tests link, with everything they depend on, and the font the
# window's layout is measured with.
packages=(qt6-base-dev libgl-dev libgtest-dev libx11-dev libc6-dev libstdc++-12-dev fonts-liberation
    libxlsxwriter-dev zlib1g-dev)
if [ "$(cat "$sysroot/.complete" 2>/dev/null)" != "${packages[*]}" ]; then
    apt-get "${apt_arm64[@]}" update -qq
    apt-get "${apt_arm64[@]}" install -y -qq --download-only "${packages[@]}" >/dev/null
    for deb in "$apt_state"/cache/archives/*.deb; do
        dpkg-deb -x "$deb" "$sysroot"
    done
    # Absolute symbolic links in the packages point into the host; make them relative.
    find "$sysroot" -type l -lname '/*' | while read -r link; do
        ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$sysroot$(readlink "$link")")" "$link"
    done
    echo "${packages[*]}" >"$sysroot/.complete"
fi
echo "sysroot: $(ls "$apt_state"/cache/archives/*.deb | wc -l) arm64 packages in $sysroot"

cat >"$scratch/toolchain.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_SYSROOT $sysroot)
set(CMAKE_FIND_ROOT_PATH $sysroot)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,-rpath-link,$sysroot/usr/lib/aarch64-linux-gnu:$sysroot/lib/aarch64-linux-gnu")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L $sysroot
    -E QT_PLUGIN_PATH=$sysroot/usr/lib/aarch64-linux-gnu/qt6/plugins)
EOF
# moc and rcc are the host's; the libraries, headers and Qt's CMake files the sysroot's.
cmake -S . -B "$scratch/build" -DCMAKE_BUILD_TYPE=Release -DKAVALUN_BENCH=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$scratch/toolchain.cmake" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
cmake --build "$scratch/build" -j"$(nproc)"
file "$scratch/build/app/kavalun"

# The numeric tests and the window tests (headless, offscreen); the end-to-end tests need a
# display server for the program and are left to x86-64.
# qemu-user refuses the clone with which QProcess starts the workbook's reader ("fork failure").
GTEST_FILTER=-LessonExportTest.WorkbookHoldsTheRunTheFormulaAndTheChart \
    ctest --test-dir "$scratch/build" --output-on-failure -E 'E2e|wayland|x87Agreement'
