#!/usr/bin/env bash
# Makes every picture of the teacher's guides (docs/navod.md, docs/guide.md): drives the real
# program on a virtual display (Xvfb, xdotool) as a teacher would, the guide's experiments
# chosen from the window's menu and the expected line turned on there, saves one histogram as
# CSV through the same menu and plots it against the single-slit formula, and saves
# the same histogram as a workbook, whose chart LibreOffice Calc draws (scripts/calc-check.py).
# Usage: scripts/guide-pictures.sh [FOLDER]   (default docs/navod: its *.png and priklad.csv)
set -euo pipefail
out=$(realpath -m "${1:-$(dirname "$0")/../docs/navod}")
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages imagemagick python3-matplotlib fonts-dejavu-core libreoffice-calc libreoffice-l10n-cs \
    python3-uno
ensure_comma_locale
build_target kavalun build/guide -DKAVALUN_BENCH=OFF

mkdir -p "$out"
tmp=$(mktemp -d)
xvfb='' app='' win=''
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

start_virtual_display "$tmp"
xvfb=$XVFB_PID
# A Czech desktop: decimal commas in the fields and the CSV, as a teacher sees them.
export LC_ALL=cs_CZ.UTF-8 LANG=cs_CZ.UTF-8
# Qt's own file dialog, whose name field takes the typed path, whatever the desktop's theme.
unset QT_QPA_PLATFORMTHEME

# Places on the window, in client pixels (the window's stored layout).
start_xy=(413 116)
mass_xy=(297 64)
faster_xy=(241 172) # upper-left triangle of the pace button
zoom_xy=(353 210)   # the slider's handle at position 100
background_xy=(300 520)
aside_xy=(150 600) # a place whose menu covers neither the counter nor the histogram
centre_row=369 # half the outer height; a bare X server draws no frame

start_program() {
    stop_program
    kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb has ended:" >&2; cat "$tmp/xvfb.log" >&2; exit 1; }
    QT_QPA_PLATFORM=xcb build/guide/app/kavalun >"$tmp/app.log" 2>&1 &
    app=$!
    win=$(timeout 30 xdotool search --sync --onlyvisible --name '^Ohyb na Kavalun$' | head -n1)
    sleep 1 # let the first paint finish
}

stop_program() {
    if [ -n "$app" ]; then
        kill "$app" 2>/dev/null || true
        wait "$app" 2>/dev/null || true
        app=''
    fi
}

click() { # x y
    xdotool mousemove --window "$win" "$1" "$2" click 1
    sleep 0.3
}

set_field() { # x y text
    click "$1" "$2"
    xdotool key ctrl+a
    xdotool type --delay 40 "$3"
    sleep 0.2
}

pace_zero() { # five steps down from the starting 5 ms
    xdotool mousemove --window "$win" "${faster_xy[@]}" click --repeat 5 --delay 200 1
    sleep 0.3
}

zoom_divisor() { # d: the slider d steps left of 100 divides every bar by d
    [ "$1" -le 1 ] && return
    click "${zoom_xy[@]}"
    xdotool key --repeat $(($1)) --delay 10 Left
    sleep 0.3
}

start_stop() { click "${start_xy[@]}"; }

open_menu() { # x y: the window's menu, opened by a right click there
    xdotool mousemove --window "$win" "$1" "$2" click 3
    sleep 0.7
}

menu_keys() { # keys...: opens the window's menu on the background and presses them there
    open_menu "${background_xy[@]}"
    xdotool key --delay 150 "$@"
    sleep 0.3
}

# The menu's entries in order, the separators skipped by the keys.
experiments_keys=(Down Down Down Down Down Right) # opens "Pokusy z návodu" at its first entry
expected_keys=(Down Down Down Down Down Down Down Return) # "Zobrazit očekávané rozdělení"

experiment_from_menu() { # n: the guide's n-th experiment
    local downs=()
    for ((i = 1; i < $1; i++)); do downs+=(Down); done
    menu_keys "${experiments_keys[@]}" "${downs[@]}" Return
}

shot() { # file: the window as it is now, pointer out of the way
    xdotool mousemove --window "$win" 1015 730
    sleep 0.2
    import -window "$win" "$tmp/shot.png"
    convert "$tmp/shot.png" -strip "$1"
}

# While the window's menu is open the run waits, so that a fast run's counter is caught whole.
held_shot() { # file [keys for the menu then, instead of closing it]
    open_menu "${aside_xy[@]}"
    shot "$1"
    shift
    xdotool key --delay 150 "${@:-Escape}"
}

# Length in pixels of the longest bar: the centre row holds bin 0, the most frequent.
centre_bar() { # file
    LC_ALL=C convert "$1" -crop "523x1+501+$centre_row" +repage -fill white +opaque black \
        -format '%[fx:round(w*(1-mean))]' info:
}

# 1. The window during a run, numbered for the legend in the guide.
start_program
start_stop
sleep 8
shot "$tmp/okno.png"
marks=(
    "70 369 1" "465 600 2" "200 400 3" "640 250 4" "640 490 5" "345 177 6"
    "115 40 7" "115 60 8" "115 91 9" "115 118 10" "115 150 11" "115 176 12" "115 203 13"
    "466 116 14"
)
draw=()
for m in "${marks[@]}"; do
    read -r x y n <<<"$m"
    draw+=(-fill '#c00000' -stroke white -strokewidth 2 -draw "circle $x,$y $((x + 11)),$y")
    draw+=(-stroke none -fill white -annotate "+$((x - (n > 9 ? 8 : 4)))+$((y + 5))" "$n")
done
convert "$tmp/okno.png" -font DejaVu-Sans-Bold -pointsize 13 "${draw[@]}" -strip "$out/okno.png"

# 2. The classroom experiments: each a fresh program, 20 s at the starting pace, then "Stop!"
# (or, with seconds negative, captured while running, so that a ray shows).
experiment() { # file seconds setup
    local file=$1 seconds=$2
    start_program
    "$3"
    start_stop
    sleep "${seconds#-}"
    if [ "$seconds" -gt 0 ]; then
        start_stop
        sleep 0.5
    fi
    shot "$out/$file"
}
# As the guide has the teacher do it: from the menu, the proton typed over the heavier particle.
defaults() { experiment_from_menu 1; }
heavier() { experiment_from_menu 2; }
proton() { experiment_from_menu 2; set_field "${mass_xy[@]}" 1836; }
narrower() { experiment_from_menu 3; }
more_maxima() { experiment_from_menu 4; }
experiment pokus1-elektron.png 20 defaults
experiment pokus2-tezsi.png 20 heavier
experiment pokus2-proton.png -5 proton
experiment pokus3-uzsi.png 20 narrower
experiment pokus4-maxima.png 20 more_maxima

# 3. The pattern emerges: a few particles, about a thousand, then a long run at pace 0.
panel() { # source target: the counter, full size, above the histogram at half size
    convert "$1" \( -clone 0 -crop 110x20+255+167 +repage -gravity west -background '#efefef' \
        -extent 272x24 \) \( -clone 0 -crop 544x738+480+0 +repage -resize 50% \) -delete 0 \
        -append "$2"
}
start_program
start_stop
sleep 0.6
shot "$tmp/few.png"
sleep 5.4
shot "$tmp/thousand.png"
start_stop
menu_keys "${expected_keys[@]}" # the same counts beside the expected line
shot "$tmp/thousand-line.png"
# The pace-0 rate depends on the machine: measure it at the smallest scale, pick the scale that
# takes the longest bar to about 420 pixels in some 20 s, and run until it gets there.
start_program
pace_zero
zoom_divisor 99
start_stop
sleep 4
shot "$tmp/probe.png"
start_stop
probe=$(centre_bar "$tmp/probe.png")
divisor=$(((probe * 99 * 20 / 4 + 419) / 420))
[ "$divisor" -lt 1 ] && divisor=1
[ "$divisor" -gt 99 ] && divisor=99
start_program
pace_zero
zoom_divisor "$divisor"
start_stop
for _ in $(seq 360); do
    sleep 0.25
    shot "$tmp/long.png"
    [ "$(centre_bar "$tmp/long.png")" -ge 400 ] && break
done
# Then the expected line beside the same bars, before "Stop!" puts the zoom back to 100 and
# wipes them.
held_shot "$tmp/long.png" "${expected_keys[@]}"
held_shot "$tmp/long-line.png"
panel "$tmp/few.png" "$tmp/p1.png"
panel "$tmp/thousand.png" "$tmp/p2.png"
panel "$tmp/long.png" "$tmp/p3.png"
convert "$tmp/p1.png" "$tmp/p2.png" "$tmp/p3.png" -bordercolor white -border 6 +append \
    -strip "$out/pokus5-vyvoj.png"
echo "Long run: scale $divisor (probe bar $probe px)"

panel "$tmp/thousand-line.png" "$tmp/p4.png"
panel "$tmp/long-line.png" "$tmp/p5.png"
convert "$tmp/p4.png" "$tmp/p5.png" -bordercolor white -border 6 +append \
    -strip "$out/pokus5-ocekavane.png"

# 4. The menu with the guide's experiments, and the same long run's histogram saved through
# the menu, and plotted.
start_stop # "Stop!" keeps the counts
sleep 0.5
menu_keys "${expected_keys[@]}" # the line off again: at the zoom Stop! left it runs off the window
menu_keys "${experiments_keys[@]}"
import -window root "$tmp/menu.png"
xdotool key --delay 300 Escape Escape # the second once the first has closed the submenu
wx=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1/p')
wy=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\2/p')
convert "$tmp/menu.png" -crop "560x250+$((wx + background_xy[0] - 20))+$((wy + background_xy[1] - 20))" \
    +repage -strip "$out/nabidka.png"
# Types the file's name into the save dialog that the menu's item opened, and waits for the file.
save_as() { # file, what it is
    sleep 1.2
    xdotool key ctrl+a
    xdotool type --delay 20 "$1"
    xdotool key Return
    for _ in $(seq 50); do
        [ -s "$1" ] && break
        sleep 0.1
    done
    [ -s "$1" ] || { echo "The program wrote no $2" >&2; exit 1; }
}
csv=$(realpath -m "$out/priklad.csv")
rm -f "$csv"
menu_keys Down Return # the first item saves the histogram
save_as "$csv" CSV
menu_keys Down Down Return # the second item saves the workbook
save_as "$tmp/priklad.xlsx" workbook
stop_program
/usr/bin/python3 scripts/guide-plot.py "$csv" "$out/graf.png"
/usr/bin/python3 scripts/calc-check.py chart "$tmp/priklad.xlsx" "$tmp/sesit.png"
convert "$tmp/sesit.png" -background white -flatten -strip "$out/graf-sesit.png"
echo "Wrote $out/*.png and $csv"
