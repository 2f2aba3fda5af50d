#!/usr/bin/env bash
# Takes the README's screenshot: starts the program on a virtual display, presses
# "Start!", lets the histogram grow for a few seconds and captures the window.
# Usage: scripts/screenshot.sh [OUTPUT.png]   (default docs/screenshot.png)
set -euo pipefail
out=$(realpath -m "${1:-$(dirname "$0")/../docs/screenshot.png}")
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages imagemagick
build_target kavalun

tmp=$(mktemp -d)
xvfb='' app=''
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

start_virtual_display "$tmp"
xvfb=$XVFB_PID

QT_QPA_PLATFORM=xcb build/release/app/kavalun &
app=$!
win=$(timeout 30 xdotool search --sync --onlyvisible --name '^Ohyb na Kavalun$' | head -n1)
sleep 1 # let the first paint finish
xdotool mousemove --window "$win" 413 116 click 1 # "Start!"
sleep 5
mkdir -p "$(dirname "$out")"
import -window "$win" "$out"
echo "Wrote $out"
