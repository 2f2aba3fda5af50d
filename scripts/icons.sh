#!/usr/bin/env bash
# Writes the desktop icons from the window icon, resources/MAINICON.png (32 x 32 pixels):
# dist/icons/hicolor/NxN/apps/ID.png. The pixel picture is first enlarged by a whole
# factor, each pixel copied, and then reduced by averaging, so no size blurs the picture
# more than it must.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages imagemagick
id=io.github.kavalun.OhybNaKavalun
gcd() { if [ "$2" -eq 0 ]; then echo "$1"; else gcd "$2" $(($1 % $2)); fi; }
for size in 16 32 48 64 128 256; do
    up=$((size * 32 / $(gcd "$size" 32))) # the least common multiple of the two sizes
    dir=dist/icons/hicolor/${size}x${size}/apps
    mkdir -p "$dir"
    convert resources/MAINICON.png -scale "${up}x${up}" -scale "${size}x${size}" -strip \
        -define png:exclude-chunks=date,time "$dir/$id.png"
done
echo "Wrote dist/icons/hicolor/*/apps/$id.png"
