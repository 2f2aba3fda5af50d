#!/usr/bin/env bash
# Builds the program optimised and writes its packages into build/package/:
#   scripts/package.sh [BUILD_DIR]        the Debian package kavalun_VERSION_amd64.deb
#   scripts/package.sh --all [BUILD_DIR]  also the Debian package for ARM64 (Raspberry Pi),
#       kavalun_VERSION_arm64.deb, the Windows Installer package kavalun-VERSION-x64.msi and
#       the portable kavalun-VERSION-x64-portable.zip
# The build folder is its own: the program is built there with Debian's hardening flags. The
# ARM64 program is cross-built against the sysroot of check-arm64.sh (build/arm64); the Windows
# packages are made from the folder that build-windows.sh gathers (see windows-package.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
all=false
if [ "${1:-}" = --all ]; then
    all=true
    shift
fi
build=${1:-build/deb}
. scripts/deps.sh
ensure_packages
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKAVALUN_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build "$build" --target kavalun -j"$(nproc)" >/dev/null
rm -f build/package/kavalun_*_amd64.deb # so that only this version's package is left
log=$(cpack --config "$build"/CPackConfig.cmake -B build/package 2>&1) || { echo "$log" >&2; exit 1; }
ls build/package/kavalun_*_amd64.deb
$all || exit 0

# The ARM64 package: the same files from the cross-build. Its Depends are computed as
# dpkg-shlibdeps computes the amd64 ones, from the shlibs and symbols files of the arm64
# packages that hold the libraries the program needs.
. scripts/arm64-sysroot.sh
arm64_sysroot >&2
arm64=$ARM64_SCRATCH/deb
arm64_flags() { DEB_HOST_ARCH=arm64 DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
libs=$ARM64_SYSROOT/usr/lib/aarch64-linux-gnu:$ARM64_SYSROOT/lib/aarch64-linux-gnu
cmake -S . -B "$arm64" -DCMAKE_BUILD_TYPE=Release -DKAVALUN_BENCH=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$ARM64_TOOLCHAIN" "${ARM64_CMAKE_ARGS[@]}" \
    -DCMAKE_CXX_FLAGS="$(arm64_flags CPPFLAGS) $(arm64_flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(arm64_flags LDFLAGS) -Wl,-rpath-link,$libs" >/dev/null
nice -n 15 cmake --build "$arm64" --target kavalun -j"$(nproc)" >/dev/null

# dpkg-shlibdeps finds a library and its shlibs and symbols in a package's build tree: one
# tree whose libraries are the sysroot's and whose control files are all the packages' in one.
tree=$ARM64_SCRATCH/shlibs-tree
rm -rf "$tree" "$tree.control"
mkdir -p "$tree/DEBIAN" "$tree.control/debian"
for deb in "$ARM64_DEBS"/*.deb; do
    rm -rf "$tree.control/part"
    dpkg-deb -e "$deb" "$tree.control/part"
    for file in shlibs symbols; do
        [ ! -f "$tree.control/part/$file" ] || cat "$tree.control/part/$file" >>"$tree/DEBIAN/$file"
    done
done
ln -s "$ARM64_SYSROOT/usr" "$tree/usr"
ln -s "$ARM64_SYSROOT/lib" "$tree/lib"
printf 'Source: kavalun\n\nPackage: kavalun\nArchitecture: arm64\n' >"$tree.control/debian/control"
shlibs=$(cd "$tree.control" && DEB_HOST_ARCH=arm64 dpkg-shlibdeps -O -S"$tree" "$arm64/app/kavalun" \
    2> >(grep -v "should already be installed in their package's directory" >&2))
shlibs=${shlibs#shlibs:Depends=}
[[ $shlibs == *libqt6widgets6* ]] || { echo "package: no Depends computed for arm64: '$shlibs'" >&2; exit 1; }
# After the hand-kept Depends of delivery.cmake (the fonts, Qt's translations), as on amd64.
printf 'string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", %s")\n' "$shlibs" >"$arm64/shlibs-depends.cmake"
rm -f build/package/kavalun_*_arm64.deb
log=$(cpack --config "$arm64"/CPackConfig.cmake -B build/package 2>&1) || { echo "$log" >&2; exit 1; }
arm64_deb=$(ls build/package/kavalun_*_arm64.deb)
# The same files as the amd64 package, and Debian's checks of it: not one error or warning.
files() { dpkg-deb -c "$1" | awk '{print $1, $6}'; }
diff <(files build/package/kavalun_*_amd64.deb) <(files "$arm64_deb") >&2 ||
    { echo "package: the arm64 package's files (>) differ from the amd64 one's (<)" >&2; exit 1; }
lintian --fail-on error,warning "$arm64_deb" >"$arm64/lintian.log" 2>&1 && ! grep -qE '^[EW]: ' "$arm64/lintian.log" ||
    { cat "$arm64/lintian.log" >&2; echo "package: lintian complained about $arm64_deb" >&2; exit 1; }
echo "$arm64_deb"

# The Windows packages, from the folder with kavalun.exe and everything it needs.
if [ -z "${KAVALUN_WINDOWS_FOLDER:-}" ]; then
    [ -x scripts/build-windows.sh ] || {
        echo "package: no scripts/build-windows.sh here to build the Windows folder; the MSI and" \
            "the ZIP are not written (or give a built folder in KAVALUN_WINDOWS_FOLDER)" >&2
        exit 1
    }
    scripts/build-windows.sh >&2
fi
scripts/windows-package.sh ${KAVALUN_WINDOWS_FOLDER:+"$KAVALUN_WINDOWS_FOLDER"}
