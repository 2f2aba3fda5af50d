#!/usr/bin/env bash
# Draws every face of every look of the spin button into one enlarged picture.
# Usage: scripts/face-sheet.sh [OUTPUT.png]   (default docs/face-sheet.png)
set -euo pipefail
out=$(realpath -m "${1:-$(dirname "$0")/../docs/face-sheet.png}")
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages
build_target faceSheet
mkdir -p "$(dirname "$out")"
QT_QPA_PLATFORM=offscreen build/release/tests/faceSheet "$out"
echo "Wrote $out"
