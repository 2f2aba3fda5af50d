#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages
build_target kavalun
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "kavalun: no display to show the window on; start it from a desktop session, or under a virtual one: xvfb-run -s '-screen 0 1280x1024x24' scripts/run.sh" >&2
    exit 1
fi
exec build/release/app/kavalun
