#!/usr/bin/env bash
# Writes the desktop icons from the window icon, resources/MAINICON.png (32 x 32 pixels):
# dist/icons/hicolor/NxN/apps/ID.png, and the same sizes in one Windows icon,
# dist/windows/kavalun.ico (the program file's, the Start menu's and Apps & features' icon). The pixel picture is first enlarged by a whole
# factor, each pixel copied, and then reduced by averaging, so no size blurs the picture
# more than it must.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages imagemagick icoutils
id=io.github.kavalun.OhybNaKavalun
gcd() { if [ "$2" -eq 0 ]; then echo "$1"; else gcd "$2" $(($1 % $2)); fi; }
for size in 16 32 48 64 128 256; do
    up=$((size * 32 / $(gcd "$size" 32))) # the least common multiple of the two sizes
    dir=dist/icons/hicolor/${size}x${size}/apps
    mkdir -p "$dir"
    convert resources/MAINICON.png -scale "${up}x${up}" -scale "${size}x${size}" -strip \
        -define png:exclude-chunks=date,time "$dir/$id.png"
done
# Windows reads the largest size as a PNG inside the icon, the others as bitmaps.
png() { echo "dist/icons/hicolor/${1}x$1/apps/$id.png"; }
icotool -c -o dist/windows/kavalun.ico "$(png 16)" "$(png 32)" "$(png 48)" "$(png 64)" "$(png 128)" -r "$(png 256)"
echo "Wrote dist/icons/hicolor/*/apps/$id.png and dist/windows/kavalun.ico"
