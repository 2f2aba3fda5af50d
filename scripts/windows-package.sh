#!/usr/bin/env bash
# Writes the Windows packages from the program's Windows folder (kavalun.exe with its DLLs):
#   scripts/windows-package.sh [FOLDER [VERSION [OUT_DIR]]]
# FOLDER defaults to the one scripts/build-windows.sh gathers, VERSION to the project's,
# OUT_DIR to build/package. It writes OUT_DIR/kavalun-VERSION-x64.msi, a Windows Installer
# package for every user of a computer (what Group Policy and Intune deploy), and
# OUT_DIR/kavalun-VERSION-x64-portable.zip, the same folder to run from anywhere, a USB stick
# say, without admin rights. Both carry the teacher's guide as navod.html.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages msitools wixl zip python3-markdown
fail() { echo "windows-package: $*" >&2; exit 1; }
folder=${1:-build/windows/kavalun}
version=${2:-$(sed -n 's/^project(Kavalun VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)}
out=$(realpath -m "${3:-build/package}")
[ -f "$folder/kavalun.exe" ] ||
    fail "$folder has no kavalun.exe: build the Windows folder with scripts/build-windows.sh first"
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "the version '$version' is not MAJOR.MINOR.PATCH"

work=$out/windows-$version
name=kavalun-$version-x64
rm -rf "$work" "$out/$name.msi" "$out/$name-portable.zip"
mkdir -p "$work/$name-portable"
stage=$work/$name-portable
cp -r "$folder"/. "$stage"/
scripts/guide-html.py docs/navod.md "$stage/navod.html"
cp -r docs/navod "$stage/"

# Every file of the folder is one component, its key path, with a GUID that wixl derives from
# its path: the same file keeps its component from one version to the next.
(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) |
    wixl-heat -p '' --component-group AppFiles --var var.AppDir --directory-ref INSTALLDIR --win64 \
        >"$work/files.wxs"
# wixl-heat puts the folder's own files into a subfolder named ".", the same folder to Windows
# Installer; Wine's removal then leaves the emptied installation folder behind. Into the
# installation folder itself with them.
python3 - "$work/files.wxs" <<'PY'
import re, sys
path = sys.argv[1]
text = open(path, encoding="utf-8").read()
text, count = re.subn(r'<Directory Id="[^"]*" Name="\.">(.*?)</Directory>', r"\1", text, count=1, flags=re.S)
if count != 1:
    sys.exit("windows-package: wixl-heat's list has no folder of its own files")
open(path, "w", encoding="utf-8").write(text)
PY
cp dist/windows/kavalun.ico "$work/"
(cd "$work" && wixl -a x64 -D Version="$version" -D AppDir="$name-portable" -D Icon=kavalun.ico \
    -D Win64=yes -o "$name.msi" "$OLDPWD/dist/windows/kavalun.wxs" files.wxs)
# The Czech texts and what else wixl cannot write, in the tables' code page for Czech.
printf '\r\n\r\n1250\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
msibuild "$work/$name.msi" -i "$work/_ForceCodepage.idt"
upgrade_code=$(msiinfo export "$work/$name.msi" Property | sed -n 's/^UpgradeCode\t\([^\r]*\).*/\1/p')
while IFS= read -r query; do
    query=${query//@VERSION@/$version}
    [ -z "$query" ] || [[ $query == --* ]] || msibuild "$work/$name.msi" -q "${query//@UPGRADE_CODE@/$upgrade_code}"
done <dist/windows/kavalun-tables.sql
grep -q 'návod pro učitele' <(msiinfo export "$work/$name.msi" Shortcut) || fail "the Czech texts are not in the MSI"
mv "$work/$name.msi" "$out/"

(cd "$work" && zip -qrX9 "$out/$name-portable.zip" "$name-portable")
rm -rf "$work"
ls "$out/$name.msi" "$out/$name-portable.zip"
