#!/usr/bin/env bash
# Opens the program's files in a real spreadsheet, LibreOffice Calc with the Czech interface
# (headless, installed if missing; not part of the test command, being large): the CSV with
# Calc's default Czech import options and the workbook as a double-click opens it. Checks that
# every number cell is a number with the program's value, that the formulas recalculate to the
# stored results, that the chart is there, and that a changed cell moves the formula.
# Usage: scripts/check-spreadsheet.sh [PARTICLES]   (default 20000)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages libreoffice-calc libreoffice-l10n-cs python3-uno
ensure_comma_locale
build_target lessonFiles

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
particles=${1:-20000}
# The same run saved on a Czech desktop and on an English one.
LC_ALL=cs_CZ.UTF-8 LANG=cs_CZ.UTF-8 build/release/tests/lessonFiles "$particles" \
    "$tmp/histogram.csv" "$tmp/histogram.xlsx" 2>/dev/null
LC_ALL=C.UTF-8 LANG=C.UTF-8 build/release/tests/lessonFiles "$particles" \
    "$tmp/histogram-en.csv" "$tmp/histogram-en.xlsx" 2>/dev/null
echo "LibreOffice: $(dpkg-query -W -f='${Version}' libreoffice-calc); $particles particles"
/usr/bin/python3 scripts/calc-check.py check "$tmp/histogram.csv" "$tmp/histogram.xlsx" \
    "$tmp/histogram-en.csv"
