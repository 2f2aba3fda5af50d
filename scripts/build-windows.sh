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
qt_recipe="qt6-base $qt_version, recipe 2"
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

# Faults of Debian's tarball and of Qt 6.4. The tarball lacks src/3rdparty/wintab (removed for
# its licence), which the legacy Wintab tablet support of the windows plugin includes; without
# it that support is left out and pen input goes through Windows' pointer messages alone.
mend_qt_source() { # source folder
    local win=$1/src/plugins/platforms/windows
    if [ ! -e "$1/src/3rdparty/wintab/wintab.h" ]; then
        sed -i 's|^qt_internal_extend_target(QWindowsIntegrationPlugin CONDITION QT_FEATURE_tabletevent$|& AND EXISTS ${QtBase_SOURCE_DIR}/src/3rdparty/wintab/wintab.h|' \
            "$win/CMakeLists.txt"
        grep -q 'wintab/wintab.h$' "$win/CMakeLists.txt"
        sed -i 's|QT_CONFIG(tabletevent)|(QT_CONFIG(tabletevent) \&\& __has_include(<wintab.h>))|' \
            "$win/qwindowscontext.cpp"
        sed -i '0,/^#if QT_CONFIG(tabletevent)$/s//#if QT_CONFIG(tabletevent) \&\& __has_include(<wintab.h>)/' \
            "$win/qwindowspointerhandler.cpp"
        grep -q '__has_include(<wintab.h>)' "$win/qwindowscontext.cpp" "$win/qwindowspointerhandler.cpp"
    fi
    # Gui builds its DirectWrite font database only with Direct2D, which is left out; the
    # plugin asks for DirectWrite 3 alone and would not link. It takes GDI's fonts then.
    sed -i 's|^#if QT_CONFIG(directwrite3)$|#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)|' \
        "$win/qwindowsintegration.cpp"
    [ "$(grep -c 'QT_CONFIG(directwrite3) && QT_CONFIG(direct2d)' "$win/qwindowsintegration.cpp")" = 2 ]
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

# libxlsxwriter as a DLL, with zlib linked in and its bundled minizip and MD5 (Debian uses the
# system's minizip and OpenSSL, which MinGW-w64 does not have).
xlsx_version=$(dpkg-query -W -f='${Version}' libxlsxwriter-dev)
xlsx_version=${xlsx_version%+b*}
# Installed beside Qt, so that the program finds both in one prefix.
xlsx_prefix=$qt_prefix
build_xlsxwriter() {
    [ "$(cat "$xlsx_prefix/.xlsxwriter" 2>/dev/null)" = "$xlsx_version" ] && return 0
    fetch_source libxlsxwriter "$xlsx_version"
    local src=$cache/xlsx-src build=$cache/xlsx-build
    rm -rf "$src" "$build"
    mkdir -p "$src"
    tar -xzf "$cache/src/libxlsxwriter_${xlsx_version%%-*}.orig.tar.gz" -C "$src" --strip-components=1
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$xlsx_prefix" -DBUILD_SHARED_LIBS=ON \
        -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a \
        -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include >/dev/null
    nice -n 5 cmake --build "$build" --parallel "${KAVALUN_JOBS:-2}" >/dev/null
    cmake --install "$build" >/dev/null
    mkdir -p "$xlsx_prefix/licenses"
    cp "$src/License.txt" "$xlsx_prefix/licenses/libxlsxwriter.txt"
    cp /usr/share/doc/libz-mingw-w64-dev/copyright "$xlsx_prefix/licenses/zlib.txt"
    rm -rf "$src" "$build"
    echo "$xlsx_version" >"$xlsx_prefix/.xlsxwriter"
}

build_qt
build_xlsxwriter
[ "${1:-}" = --qt-only ] && exit 0

# The program and its tests, against that Qt; the tests run under Wine (scripts/check-windows.sh).
out=$root/build/windows
started=$SECONDS
PKG_CONFIG_LIBDIR=$qt_prefix/lib/pkgconfig PKG_CONFIG_PATH='' \
    "$qt_prefix/bin/qt-cmake" -S . -B "$out/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKAVALUN_BENCH=OFF -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR="env;WINEPREFIX=$out/wine;$root/cmake/mingw64/wine-run.sh" \
    >/dev/null
nice -n 5 cmake --build "$out/build" --parallel "${KAVALUN_JOBS:-2}"
echo "program and tests built in $((SECONDS - started)) s"

# The folder to copy to a Windows machine: the program, every DLL it loads that Windows does
# not bring (followed from the imports of each file), the platform plugin and the style,
# Qt's Czech texts and the licences.
deploy=$out/kavalun
rm -rf "$deploy"
mkdir -p "$deploy/platforms" "$deploy/styles" "$deploy/translations" "$deploy/licenses"
x86_64-w64-mingw32-strip -o "$deploy/kavalun.exe" "$out/build/app/kavalun.exe"
x86_64-w64-mingw32-strip -o "$deploy/platforms/qwindows.dll" "$qt_prefix/plugins/platforms/qwindows.dll"
x86_64-w64-mingw32-strip -o "$deploy/styles/qwindowsvistastyle.dll" \
    "$qt_prefix/plugins/styles/qwindowsvistastyle.dll"
dll_folders=("$qt_prefix/bin" /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)
pending=("$deploy/kavalun.exe" "$deploy/platforms/qwindows.dll" "$deploy/styles/qwindowsvistastyle.dll")
while [ ${#pending[@]} -gt 0 ]; do
    file=${pending[0]}
    pending=("${pending[@]:1}")
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
        [ -e "$deploy/$dll" ] && continue
        for folder in "${dll_folders[@]}"; do
            found=$(find "$folder" -maxdepth 1 -iname "$dll" -print -quit)
            [ -n "$found" ] || continue
            x86_64-w64-mingw32-strip -o "$deploy/$dll" "$found"
            pending+=("$deploy/$dll")
            break
        done # not found: a DLL of Windows itself
    done
done
# Qt looks for its plugins beside the program and for its translations below it.
printf '[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n' >"$deploy/qt.conf"
cp /usr/share/qt6/translations/qtbase_cs.qm "$deploy/translations/"
cp LICENSE "$deploy/licenses/kavalun.txt"
cp "$qt_prefix"/licenses/* "$deploy/licenses/"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$deploy/licenses/gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$deploy/licenses/mingw-w64-winpthreads.txt"
echo "Windows folder: $deploy ($(du -sh "$deploy" | cut -f1)), DLLs:" \
    $(cd "$deploy" && ls ./*.dll | xargs -n1 basename)
