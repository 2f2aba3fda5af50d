#!/usr/bin/env bash
# Pictures of the window at the scales of school screens: starts the program on a virtual
# display with Qt's scale factor 1, 1.25, 1.5 and 2, presses "Start!" and captures the window
# during the run, and once more at 2 on a 1280 x 1024 screen, which the window must fit.
# Usage: scripts/scale-pictures.sh [FOLDER]   (default build/scales: scale-1.png, ...)
set -euo pipefail
out=$(realpath -m "${1:-$(dirname "$0")/../build/scales}")
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages imagemagick
build_target kavalun

mkdir -p "$out"
tmp=$(mktemp -d)
xvfb='' app=''
stop() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null || true
    app='' xvfb=''
}
trap 'stop; rm -rf "$tmp"' EXIT
# A runtime folder of the program's own, as a desktop session gives it.
export XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

picture() { # scale, screen size, output name
    start_virtual_display "$tmp" "$2"
    xvfb=$XVFB_PID
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$1 build/release/app/kavalun >"$tmp/app.log" 2>&1 &
    app=$!
    local win
    win=$(timeout 30 xdotool search --sync --onlyvisible --name '^Ohyb na Kavalun$' | head -n1)
    sleep 1 # let the first paint finish
    # "Start!" in device pixels: the layout's client pixels times the scale.
    xdotool mousemove --window "$win" $(awk "BEGIN { print int(413 * $1), int(116 * $1) }") click 1
    sleep 3
    import -window "$win" "$out/$3"
    echo "Wrote $out/$3 ($(identify -format '%w x %h' "$out/$3"))"
    [ -s "$tmp/app.log" ] && { echo "The program printed:"; cat "$tmp/app.log"; }
    stop
}

# Large enough for the whole window at 2.
picture 1 2560x1600 scale-1.png
picture 1.25 2560x1600 scale-1.25.png
picture 1.5 2560x1600 scale-1.5.png
picture 2 2560x1600 scale-2.png
picture 2 1280x1024 scale-2-on-1280x1024.png
