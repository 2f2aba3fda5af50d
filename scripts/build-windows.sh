#!/usr/bin/env bash
# Cross-builds the program for Windows x86-64 with Debian's MinGW-w64 and gathers a folder that
# runs on a Windows machine with nothing installed:
#   scripts/build-windows.sh [--qt-only]
# Qt for Windows is built once from Debian's own source of qt6-base (the version of the host's
# moc, rcc and uic) into a cache folder that later runs and other clones reuse:
# $KAVALUN_WINDOWS_CACHE, default ~/.cache/kavalun-windows. The sources are fetched with a
# private apt state there; the machine's own package database is not touched.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 fonts-wine libz-mingw-w64-dev ninja-build
    qt6-base-dev-tools qt6-translations-l10n xz-utils)
ensure_packages "${WINDOWS_PACKAGES[@]}"

root=$PWD
cache=$(realpath -m "${KAVALUN_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kavalun-windows}")
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
qt_prefix=$cache/qt-${qt_version%%+*}
toolchain=$root/cmake/mingw64/toolchain.cmake
# Changing what Qt is built with changes this and builds it again.
qt_recipe="qt6-base $qt_version, recipe 1"
mkdir -p "$cache"

apt_state=$cache/apt
fetch_source() { # Debian source package name, version
    mkdir -p "$apt_state"/{lists/partial,cache/archives/partial,etc/parts,etc/preferences} "$cache/src"
    : >"$apt_state/status"
    local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    cat >"$apt_state/etc/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=$keyring] http://deb.debian.org/debian-security bookworm-security main
EOF
    local apt_src=(-o Dir::State="$apt_state" -o Dir::State::status="$apt_state/status"
        -o Dir::Cache="$apt_state/cache" -o Dir::Etc::SourceList="$apt_state/etc/sources.list"
        -o Dir::Etc::SourceParts="$apt_state/etc/parts"
        -o Dir::Etc::PreferencesParts="$apt_state/etc/preferences" -o Debug::NoLocking=1
        -o APT::Sandbox::User=root)
    [ -s "$apt_state/lists/.updated" ] || {
        apt-get "${apt_src[@]}" update -qq
        date >"$apt_state/lists/.updated"
    }
    (cd "$cache/src" && apt-get "${apt_src[@]}" source --download-only -qq "$1=$2" >/dev/null)
}

# Two faults of Debian's tarball: it lacks src/3rdparty/wintab (removed for its licence), which
# the legacy Wintab tablet support of the windows plugin includes; without it that support is
# left out and pen input goes through Windows' pointer messages alone.
mend_qt_source() { # source folder
    local win=$1/src/plugins/platforms/windows
    [ -e "$1/src/3rdparty/wintab/wintab.h" ] && return 0
    sed -i 's|^qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION QT_FEATURE_tabletevent$|qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION QT_FEATURE_tabletevent AND EXISTS ${QtBase_SOURCE_DIR}/src/3rdparty/wintab/wintab.h|' \
        "$win/CMakeLists.txt"
    grep -q 'wintab/wintab.h$' "$win/CMakeLists.txt"
    sed -i 's|QT_CONFIG(tabletevent)|(QT_CONFIG(tabletevent) \&\& __has_include(<wintab.h>))|' \
        "$win/qwindowscontext.cpp"
    sed -i '0,/^#if QT_CONFIG(tabletevent)$/s//#if QT_CONFIG(tabletevent) \&\& __has_include(<wintab.h>)/' \
        "$win/qwindowspointerhandler.cpp"
    grep -q '__has_include(<wintab.h>)' "$win/qwindowscontext.cpp" "$win/qwindowspointerhandler.cpp"
}

build_qt() {
    [ "$(cat "$qt_prefix/.complete" 2>/dev/null)" = "$qt_recipe" ] && return 0
    local started=$SECONDS
    fetch_source qt6-base "$qt_version"
    local src=$cache/qt-src build=$cache/qt-build
    rm -rf "$src" "$build" "$qt_prefix"
    mkdir -p "$src"
    tar -xJf "$cache/src/qt6-base_${qt_version%%-*}.orig.tar.xz" -C "$src" --strip-components=1
    mend_qt_source "$src"
    # The second fault: OpenGL off alone leaves dynamic OpenGL on, and the windows plugin then
    # fails on QOpenGLStaticContext. Only what the program and its tests use is built.
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qt_prefix" -DBUILD_SHARED_LIBS=ON \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
        -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_pkg_config=OFF \
        -DFEATURE_testlib=ON -DFEATURE_system_zlib=OFF -DFEATURE_direct2d=OFF \
        -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_opengl_dynamic=OFF -DFEATURE_dynamicgl=OFF \
        -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF >"$cache/qt-configure.log"
    nice -n 5 cmake --build "$build" --parallel "${KAVALUN_JOBS:-2}"
    cmake --install "$build" >/dev/null
    # The licences shipped with the program's folder.
    mkdir -p "$qt_prefix/licenses"
    cp "$src"/LICENSES/* "$qt_prefix/licenses/"
    rm -rf "$src" "$build"
    echo "$qt_recipe" >"$qt_prefix/.complete"
    echo "Qt for Windows built in $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s: $qt_prefix"
}

build_qt
[ "${1:-}" = --qt-only ] && exit 0
