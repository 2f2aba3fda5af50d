# shellcheck shell=bash
# Shared by check-arm64.sh and package.sh: a private sysroot of Debian's arm64 packages and a
# CMake toolchain file for it, in a scratch folder (default build/arm64).
# The arm64 packages are fetched with a private apt state and unpacked into the sysroot: the
# machine's own package database is never touched (adding the architecture to it would upgrade
# dozens of host packages). The fetched .debs stay in the apt cache: their control files give
# the arm64 package's Depends.

# What the build and the window tests link, with everything they depend on, and the font the
# window's layout is measured with.
ARM64_PACKAGES=(qt6-base-dev libgl-dev libgtest-dev libx11-dev libc6-dev libstdc++-12-dev fonts-liberation
    libxlsxwriter-dev zlib1g-dev)

# Sets ARM64_SCRATCH, ARM64_SYSROOT, ARM64_DEBS (the fetched packages) and ARM64_TOOLCHAIN.
arm64_sysroot() { # [scratch folder]
    ARM64_SCRATCH=$(realpath -m "${1:-build/arm64}")
    ARM64_SYSROOT=$ARM64_SCRATCH/sysroot
    local apt_state=$ARM64_SCRATCH/apt sysroot=$ARM64_SYSROOT
    ARM64_DEBS=$apt_state/cache/archives
    mkdir -p "$apt_state"/{lists/partial,cache/archives/partial,etc/parts,etc/preferences} "$sysroot"
    : >"$apt_state/status"
    local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    cat >"$apt_state/etc/sources.list" <<SOURCES
deb [arch=arm64 signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb [arch=arm64 signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb [arch=arm64 signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
SOURCES
    local apt_arm64=(-o APT::Architecture=arm64 -o APT::Architectures=arm64
        -o Dir::State="$apt_state" -o Dir::State::status="$apt_state/status"
        -o Dir::Cache="$apt_state/cache" -o Dir::Etc::SourceList="$apt_state/etc/sources.list"
        -o Dir::Etc::SourceParts="$apt_state/etc/parts"
        -o Dir::Etc::PreferencesParts="$apt_state/etc/preferences" -o Debug::NoLocking=1
        -o APT::Install-Recommends=0 -o APT::Sandbox::User=root)
    if [ "$(cat "$sysroot/.complete" 2>/dev/null)" != "${ARM64_PACKAGES[*]}" ]; then
        apt-get "${apt_arm64[@]}" update -qq
        apt-get "${apt_arm64[@]}" install -y -qq --download-only "${ARM64_PACKAGES[@]}" >/dev/null
        local deb link
        for deb in "$ARM64_DEBS"/*.deb; do
            dpkg-deb -x "$deb" "$sysroot"
        done
        # Absolute symbolic links in the packages point into the host; make them relative.
        find "$sysroot" -type l -lname '/*' | while read -r link; do
            ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$sysroot$(readlink "$link")")" "$link"
        done
        echo "${ARM64_PACKAGES[*]}" >"$sysroot/.complete"
    fi
    echo "sysroot: $(ls "$ARM64_DEBS"/*.deb | wc -l) arm64 packages in $sysroot"

    ARM64_TOOLCHAIN=$ARM64_SCRATCH/toolchain.cmake
    cat >"$ARM64_TOOLCHAIN" <<TOOLCHAIN
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
TOOLCHAIN
}

# moc and rcc are the host's; the libraries, headers and Qt's CMake files the sysroot's.
# shellcheck disable=SC2034 # used by the scripts that source this
ARM64_CMAKE_ARGS=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
