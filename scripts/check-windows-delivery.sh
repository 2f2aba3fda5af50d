#!/usr/bin/env bash
# Checks the Windows packages as a school's IT and a teacher meet them, under Wine in a fresh
# prefix: the MSI installs silently for all users, with its files, Start-menu entries and
# uninstall entry where Windows keeps them; the installed program starts and fires particles;
# an older MSI is replaced by the newer one, leaving one installation; silent removal leaves
# drive C: and the registry as they were. The portable ZIP runs from a folder of its own and
# writes nothing there.
#   scripts/check-windows-delivery.sh [WINDOWS_FOLDER]
# It makes the packages with windows-package.sh from WINDOWS_FOLDER (default: the folder of
# build-windows.sh), an older one, 0.9.0, and the same version once more from the same folder. With
# KAVALUN_STAND_IN=1 the folder holds a stand-in kavalun.exe, not the program: it is only
# started, not asked for particles. The before/after listings stay in build/delivery-check/.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages wine wine64 msitools wixl zip unzip xvfb xdotool openbox wmctrl x11-utils
fail() { echo "check-windows-delivery: $*" >&2; exit 1; }
say() { echo "check-windows-delivery: $*"; }

version=$(sed -n 's/^project(Kavalun VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
evidence=$PWD/build/delivery-check
rm -rf "$evidence"
mkdir -p "$evidence"
tmp=$(mktemp -d)
app='' xvfb='' wm=''
cleanup() {
    [ -z "$app" ] || kill "$app" 2>/dev/null || true
    [ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null || true
    [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

scripts/windows-package.sh ${1:+"$1"} "$version" "$tmp/new" >/dev/null
scripts/windows-package.sh ${1:+"$1"} 0.9.0 "$tmp/old" >/dev/null
scripts/windows-package.sh ${1:+"$1"} "$version" "$tmp/again" >/dev/null # rebuilt: a new product code
msi=$tmp/new/kavalun-$version-x64.msi
old_msi=$tmp/old/kavalun-0.9.0-x64.msi
zip=$tmp/new/kavalun-$version-x64-portable.zip
product_code() { msiinfo export "$1" Property | sed -n 's/^ProductCode\t\(.*\)\r\?$/\1/p' | tr -d '\r'; }
code=$(product_code "$msi")
old_code=$(product_code "$old_msi")
again_msi=$tmp/again/kavalun-$version-x64.msi
again_code=$(product_code "$again_msi")
[ -n "$code" ] && [ "$code" != "$old_code" ] && [ "$code" != "$again_code" ] ||
    fail "the packages' product codes are '$code', '$old_code' and '$again_code'"

# A display with a window manager, as on a desktop; its framebuffer is a file to read pixels from.
mkdir -p "$tmp/fb"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -fbdir "$tmp/fb" 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
DISPLAY=:$(cat "$tmp/display")
export DISPLAY
openbox >/dev/null 2>&1 &
wm=$!

export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wineserver -w
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
c=$WINEPREFIX/drive_c
installdir="$c/Program Files/Ohyb na Kavalun"
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs"
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# What removal must give back: every path on drive C: and the whole registry. Left out are
# only what Wine changes by itself: the folder of Windows Installer's cache and the installer's
# own empty keys, made at the first install (Windows always has them; anything of the program's
# would be in or below them), and the video key that its display driver renames at every start
# of a window program, with the date of the start.
installer_keys=('[HKEY_LOCAL_MACHINE\Software\Classes\Installer]'
    '[HKEY_LOCAL_MACHINE\Software\Classes\Installer\Features]'
    '[HKEY_LOCAL_MACHINE\Software\Classes\Installer\Products]'
    '[HKEY_LOCAL_MACHINE\Software\Classes\Installer\UpgradeCodes]'
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Installer\UpgradeCodes]'
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Installer\UserData]'
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Installer\UserData\S-1-5-18]'
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Installer\UserData\S-1-5-18\Components]'
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Installer\UserData\S-1-5-18\Products]')
snapshot() { # name
    wineserver -w
    (cd "$c" && find . -path ./windows/Fonts -prune -o -path ./windows/temp -prune -o \
        -path './users/*/AppData/Local/Temp' -prune -o -print | LC_ALL=C sort |
        grep -v -x './windows/Installer') >"$evidence/$1.files"
    wine regedit /E 'Z:\'"${tmp//\//\\}"'\reg.reg' >/dev/null 2>&1
    wineserver -w
    iconv -f UTF-16LE -t UTF-8 "$tmp/reg.reg" | tr -d '\r' |
        sed -E 's/(\\Video\\)\{[0-9a-fA-F-]+\}/\1{GUID}/g' |
        grep -v -x -F -f <(printf '%s\n' "${installer_keys[@]}") |
        grep -v -E '^"DriverDate(Data)?"=|^$' |
        # One line per key and per value, the value's key before it, sorted: the renamed video
        # key must not move the others.
        awk '/\\$/ {part = part substr($0, 1, length($0) - 1); next}
             {line = part $0; part = ""}
             line ~ /^\[/ {key = line; print key; next}
             {print key " " line}' | LC_ALL=C sort >"$evidence/$1.reg"
}
msiexec() { # /i or /x, package
    wine msiexec "$1" "$(winepath -w "$2")" /qn >/dev/null 2>&1 || fail "msiexec $1 $2 failed ($?)"
    wineserver -w
}
uninstall_entries() { # the uninstall keys that name the program
    wine reg query "$uninstall" /s 2>/dev/null | tr -d '\r' |
        awk '/^HKEY/ {key = $0} /DisplayName.*Ohyb na Kavalun/ {print key}' | sort -u
}
display_version() { # product code
    wine reg query "$uninstall\\$1" /v DisplayVersion 2>/dev/null | tr -d '\r' |
        awk '$1 == "DisplayVersion" {print $3}'
}

# Count of black pixels in the histogram (x 501 to 800 of the client area) of the window.
black_in_histogram() { # window
    # xwininfo, not xdotool: under a window manager's frame xdotool's position is off by the frame.
    local info
    info=$(xwininfo -id "$1")
    at() { sed -n "s/^ *$1: *\(-\?[0-9]*\)$/\1/p" <<<"$info"; }
    python3 - "$tmp/fb/Xvfb_screen0" "$(at 'Absolute upper-left X')" "$(at 'Absolute upper-left Y')" \
        "$(at Width)" "$(at Height)" <<'PY'
import struct, sys
path, x0, y0, width, height = sys.argv[1], *map(int, sys.argv[2:])
data = open(path, "rb").read()
header = struct.unpack(">25I", data[:100])
size, bpl, ncolors, w, h = header[0], header[12], header[19], header[4], header[5]
start = size + ncolors * 12
count = 0
for y in range(max(y0, 0), min(y0 + height, h)):
    row = start + y * bpl
    for x in range(max(x0 + 501, 0), min(x0 + min(width, 801), w)):
        count += data[row + 4 * x : row + 4 * x + 3] == b"\0\0\0"
print(count)
PY
}
poll() { # seconds, command...
    local until=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $until ] || return 1
        sleep 0.5
    done
}
# Starts kavalun.exe from a folder: it must stay up and, the real program, fire particles from
# "Start!" (the button's centre at 413, 116 of the client area), and end when its window is closed.
start_program() { # folder, what
    wine "$(winepath -w "$1/kavalun.exe")" >"$tmp/program.log" 2>&1 &
    app=$!
    local window=''
    find_window() { window=$(xdotool search --onlyvisible --name 'Ohyb na Kavalun' 2>/dev/null | head -1); [ -n "$window" ]; }
    poll 60 find_window || fail "$2: no window appeared"
    sleep 2
    kill -0 "$app" 2>/dev/null || fail "$2: the program ended by itself"
    if [ "${KAVALUN_STAND_IN:-0}" != 1 ]; then
        # Xvfb draws the pointer into its framebuffer: it is kept off the histogram.
        xdotool mousemove 0 0
        [ "$(black_in_histogram "$window")" -eq 0 ] || fail "$2: the histogram is not empty before Start!"
        xdotool mousemove --window "$window" 413 116 click 1 mousemove 0 0
        particles() { [ "$(black_in_histogram "$window")" -gt 20 ]; }
        poll 60 particles || fail "$2: no particles built up the histogram after Start!"
        say "$2: the program runs particles ($(black_in_histogram "$window") black pixels in the histogram)"
    else
        say "$2: the stand-in started and stayed up"
    fi
    # Closed as a user closes it, through the window manager: the program then removes its
    # scratch folder (Qt's dialog history) from the temporary folder.
    wmctrl -i -c "$window"
    ended() { ! kill -0 "$app" 2>/dev/null; }
    poll 60 ended || fail "$2: the program did not end when its window was closed"
    wait "$app" 2>/dev/null || true
    app=''
    wineserver -k 2>/dev/null || true
    wineserver -w
}

snapshot before

# 1. A silent install for all users.
msiexec /i "$msi"
[ -f "$installdir/kavalun.exe" ] || fail "no kavalun.exe in $installdir"
[ -f "$installdir/navod.html" ] || fail "no guide in $installdir"
(cd "$installdir" && find . -type f | LC_ALL=C sort) >"$evidence/installed.files"
# The entries are for every user: ProgramMenuFolder with ALLUSERS=1, which Windows resolves to
# the all-users Start menu. Wine 8 resolves it to the installing user's Start menu whatever
# ALLUSERS says (a known gap of its msi), so there they are looked for after the all-users one.
grep -q $'^ALLUSERS\t1' <(msiinfo export "$msi" Property) || fail "the MSI does not install for all users"
[ "$(msiinfo export "$msi" Shortcut | awk -F'\t' 'NR > 3 {print $2}' | sort -u)" = ProgramMenuFolder ] ||
    fail "the MSI's shortcuts are not in ProgramMenuFolder"
[ -f "$menu/Ohyb na Kavalun.lnk" ] || menu="$c/users/$(whoami)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
[ -f "$menu/Ohyb na Kavalun.lnk" ] || fail "no Start-menu entry in $menu"
for entry in 'Ohyb na Kavalun – projektor' 'Ohyb na Kavalun – návod pro učitele'; do
    [ -f "$menu/$entry.lnk" ] || fail "no Start-menu entry '$entry' in $menu"
done
ls "$menu" >"$evidence/start-menu.txt"
echo "in ${menu#"$c/"}" >>"$evidence/start-menu.txt"
wine reg query "$uninstall\\$code" | tr -d '\r' >"$evidence/uninstall-entry.txt"
[ "$(display_version "$code")" = "$version" ] || fail "the uninstall entry $code has no DisplayVersion $version"
grep -q 'Publisher.*Kavalun' "$evidence/uninstall-entry.txt" || fail "the uninstall entry names no publisher"
say "installed: $(wc -l <"$evidence/installed.files") files, Start menu: $(tr '\n' ';' <"$evidence/start-menu.txt") uninstall entry $code, DisplayVersion $version"
snapshot installed
start_program "$installdir" "the installed program"

# 2. Silent removal gives back drive C: and the registry as they were.
msiexec /x "$msi"
snapshot removed
diff "$evidence/before.files" "$evidence/removed.files" >"$evidence/removed.files.diff" ||
    { cat "$evidence/removed.files.diff"; fail "removal left files on drive C: (> above)"; }
diff "$evidence/before.reg" "$evidence/removed.reg" >"$evidence/removed.reg.diff" ||
    { cat "$evidence/removed.reg.diff"; fail "removal left registry entries (> above)"; }
say "removed: drive C: and the registry as before ($(wc -l <"$evidence/before.files") paths, $(wc -l <"$evidence/before.reg") registry lines; installed there were $(diff "$evidence/before.files" "$evidence/installed.files" | grep -c '^>') more paths and $(diff "$evidence/before.reg" "$evidence/installed.reg" | grep -c '^>') more registry lines)"

# 3. The older package, then the newer one over it: one installation, the newer; then the same
# version rebuilt over that.
msiexec /i "$old_msi"
[ "$(display_version "$old_code")" = 0.9.0 ] || fail "the older package did not install"
msiexec /i "$msi"
entries=$(uninstall_entries)
[ "$(echo "$entries" | grep -c .)" -eq 1 ] || fail "after the upgrade the uninstall entries are: $entries"
[ "$(display_version "$code")" = "$version" ] || fail "after the upgrade $code has no DisplayVersion $version"
[ -z "$(display_version "$old_code")" ] || fail "the older installation is still registered"
say "upgrade from 0.9.0: one installation left, $code, DisplayVersion $version"
# A rebuilt package of the same version replaces it as well.
msiexec /i "$again_msi"
entries=$(uninstall_entries)
[ "$(echo "$entries" | grep -c .)" -eq 1 ] && [ "$(display_version "$again_code")" = "$version" ] ||
    fail "after installing a rebuilt $version the uninstall entries are: $entries"
say "the same version rebuilt: one installation left, $again_code"
msi=$again_msi
msiexec /x "$msi"
snapshot upgraded-removed
diff "$evidence/before.files" "$evidence/upgraded-removed.files" ||
    fail "removal after the upgrade left files on drive C: (> above)"
diff "$evidence/before.reg" "$evidence/upgraded-removed.reg" ||
    fail "removal after the upgrade left registry entries (> above)"
say "removed after the upgrade: drive C: and the registry as before"

# 4. The portable ZIP from a folder of its own, as from a USB stick.
mkdir -p "$tmp/usb"
unzip -q "$zip" -d "$tmp/usb"
portable=$tmp/usb/kavalun-$version-x64-portable
(cd "$tmp/usb" && find . -printf '%p %s %T@\n' | LC_ALL=C sort) >"$evidence/portable-before.files"
start_program "$portable" "the portable program"
(cd "$tmp/usb" && find . -printf '%p %s %T@\n' | LC_ALL=C sort) >"$evidence/portable-after.files"
diff "$evidence/portable-before.files" "$evidence/portable-after.files" ||
    fail "the portable program wrote beside itself (> above)"
say "portable: $(grep -c . "$evidence/portable-before.files") paths, none added or changed by a run"
say "the MSI and the ZIP are sound"
