#!/usr/bin/env bash
# Builds the Windows folder (scripts/build-windows.sh) and checks it under Wine:
#   scripts/check-windows.sh
# 1. the numeric, engine and window tests, cross-built, on Qt's offscreen platform;
# 2. the real kavalun.exe from the folder on Qt's windows platform under Xvfb with openbox:
#    the window's size, a run at pace 0, a CSV saved through the menu and Windows' own file
#    dialog whose counts add up, a close during a run that ends the program with 0, and no
#    registry key or settings file left behind. A picture of the window goes to
#    build/windows/window.png (docs/windows.png is made from it);
# 3. the MSI and the portable ZIP made from the folder (scripts/check-windows-delivery.sh).
# KAVALUN_SKIP_WINE_TESTS=1 leaves out step 1, for work on the later steps.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages imagemagick

started=$SECONDS
scripts/build-windows.sh
echo "build: $((SECONDS - started)) s"
out=$PWD/build/windows
qt_prefix=$(grep -m1 '^Qt6_DIR:' "$out/build/CMakeCache.txt" | sed 's/^[^=]*=//; s|/lib/cmake/Qt6$||')
fonts_wine=/usr/share/wine/fonts

# A fresh Wine prefix with Wine's fonts, as a Windows machine has its own; a home of its own,
# so that the documents folder is known and the user's is untouched.
new_prefix() { # folder
    rm -rf "$1"
    mkdir -p "$1/home"
    HOME=$1/home WINEPREFIX=$1/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i
    HOME=$1/home WINEPREFIX=$1/wine wineserver -w
    cp "$fonts_wine"/*.ttf "$fonts_wine"/*.fon "$1/wine/drive_c/windows/Fonts/" 2>/dev/null || true
    # Windows has Arial, whose metrics Liberation Sans shares; Wine has none of its own.
    cp /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf "$1/wine/drive_c/windows/Fonts/"
}
winpath() { echo "Z:${1//\//\\}"; }

# 1. The tests. The offscreen platform reads its fonts from one folder: the ones the Linux
#    tests measure with.
scratch=$out/check
new_prefix "$scratch/tests"
mkdir -p "$scratch/fonts"
cp /usr/share/fonts/truetype/liberation/*.ttf /usr/share/fonts/truetype/dejavu/*.ttf "$scratch/fonts/"
tests_started=$SECONDS
[ -n "${KAVALUN_SKIP_WINE_TESTS:-}" ] || {
# The workbook's reader is Debian's Python, which a Windows program cannot start (measured:
# QProcess reports "process failed to start" under Wine). Under Wine on the offscreen platform
# the standard buttons stay English although Qt's Czech file loads (measured; not yet
# explained): the real program's Czech is looked at in the picture instead.
HOME=$scratch/tests/home WINEPREFIX=$scratch/tests/wine \
    WINEPATH="$(winpath "$qt_prefix/bin");$(winpath /usr/lib/gcc/x86_64-w64-mingw32/12-posix);$(winpath /usr/x86_64-w64-mingw32/lib)" \
    QT_QPA_FONTDIR="$(winpath "$scratch/fonts")" \
    GTEST_FILTER=-LessonExportTest.WorkbookHoldsTheRunTheFormulaAndTheChart:QtTranslations.StandardButtonsFollowTheLocale \
    ctest --test-dir "$out/build" --output-on-failure -E x87AgreementSlice |
    tee "$scratch/tests.log"
echo "tests under Wine: $((SECONDS - tests_started)) s"
}

# 2. The real program.
new_prefix "$scratch/app"
export HOME=$scratch/app/home WINEPREFIX=$scratch/app/wine WINEDEBUG=-all
xvfb='' wm='' app=''
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    wineserver -k 2>/dev/null || true
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null || true
}
trap cleanup EXIT
start_virtual_display "$scratch" 1280x1024
xvfb=$XVFB_PID
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 1
cp "$WINEPREFIX/user.reg" "$scratch/user.reg.before"
# Czech as a school's machine: Qt's own texts from qtbase_cs.qm, a decimal comma.
(cd "$out/kavalun" && LANG=cs_CZ.UTF-8 LC_ALL=cs_CZ.UTF-8 wine kavalun.exe; echo $? >"$scratch/exit") &
app=$!
win=$(timeout 60 xdotool search --sync --onlyvisible --name '^Ohyb na Kavalun$' | head -n1)
sleep 2 # the first paint
eval "$(xdotool getwindowgeometry --shell "$win")"
read -r left right top bottom < <(xprop -id "$win" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
echo "window: client ${WIDTH}x${HEIGHT} at ${X},${Y}; outside $((WIDTH + left + right))x$((HEIGHT + top + bottom))"
client() { xdotool mousemove --window "$win" "$1" "$2"; }
client 200 300
for _ in 1 2 3 4 5; do xdotool key ctrl+Up; done # pace 5 -> 0
client 413 116 && xdotool click 1                  # "Start!"
sleep 5
import -window "$win" "$out/window.png"
client 413 116 && xdotool click 1 # "Stop!"
sleep 1

# The CSV through the menu and Windows' file dialog, under a name typed as a teacher does.
# Into drive C:, where a school's user saves (Wine's Z: drive of the Linux root may refuse it).
csv=$WINEPREFIX/drive_c/lekce.csv
rm -f "$csv"
client 40 300 && xdotool click 3
sleep 1
xdotool key Down Return
# Wine makes and replaces windows while the dialog opens, and under openbox the dialog does not
# take the focus by itself: the one named so that takes it is the dialog.
dialog=''
for _ in $(seq 60); do
    for candidate in $(xdotool search --onlyvisible --name 'CSV' 2>/dev/null); do
        xdotool windowactivate --sync "$candidate" 2>/dev/null && dialog=$candidate && break
    done
    [ -n "$dialog" ] && break
    sleep 0.5
done
[ -n "$dialog" ] || { echo "FAIL: no file dialog"; exit 1; }
sleep 1
xdotool key End shift+Home BackSpace # Wine's field keeps its name through a Ctrl+A
xdotool type --delay 20 'C:\lekce.csv'
import -window root "$out/dialog.png"
xdotool key Return
for _ in $(seq 300); do [ -s "$csv" ] && break; sleep 0.1; done
sleep 0.5
[ -s "$csv" ] || {
    import -window root "$out/after-save.png" || true
    echo "FAIL: no CSV saved (dialog $dialog; the screen in $out/after-save.png)"
    exit 1
}
python3 - "$csv" <<'EOF'
import csv, sys
text = open(sys.argv[1], encoding='utf-8-sig', newline='').read()
sep = ';' if ';' in text.splitlines()[0] else ','
rows = list(csv.reader(text.splitlines(), delimiter=sep))
fired, without = int(rows[4][1]), int(rows[5][1])
bins = sum(int(r[5]) for r in rows[8:])
print(f"CSV: {fired} particles fired, {bins} in the bins + {without} without a bin")
sys.exit(0 if fired > 0 and bins + without == fired else 1)
EOF

# A close during a run ends the program with 0.
client 413 116 && xdotool click 1
sleep 2
wmctrl -i -c "$win"
for _ in $(seq 300); do [ -s "$scratch/exit" ] && break; sleep 0.1; done
echo "exit status after a close during a run: $(cat "$scratch/exit" 2>/dev/null || echo none)"
[ "$(cat "$scratch/exit" 2>/dev/null)" = 0 ]
app=''
wineserver -w
# Nothing stored: Qt's registry key and settings files.
if diff "$scratch/user.reg.before" "$WINEPREFIX/user.reg" | grep -i 'QtProject\|kavalun'; then
    echo "FAIL: the program left a registry key"
    exit 1
fi
if find "$WINEPREFIX/drive_c/users" -iname '*QtProject*' | grep .; then
    echo "FAIL: the program left a settings file"
    exit 1
fi
echo "nothing stored: no QtProject key in user.reg, no settings file"
trap - EXIT
cleanup

# 3. The packages made from the same folder: the MSI's install, upgrade and removal, the ZIP.
scripts/check-windows-delivery.sh "$out/kavalun"
echo "check-windows: passed in $((SECONDS - started)) s"
