#!/usr/bin/env bash
# Particles per second at pace 0 where users meet the program: the window shown on a real X
# server (Xvfb with the openbox window manager), next to the same build with the window
# hidden and shown on the offscreen platform, in one run.
# Usage: bench/xcb-rate.sh [BUILD_DIR]   (default build/release; builds windowBench there)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
. scripts/deps.sh
ensure_packages
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKAVALUN_BENCH=ON >/dev/null
cmake --build "$build" --target windowBench -j"$(nproc)" >/dev/null

tmp=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

start_virtual_display "$tmp"
pids+=("$XVFB_PID")
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

bench() { # platform, filter
    QT_QPA_PLATFORM=$1 "$build/bench/windowBench" --benchmark_filter="$2" \
        --benchmark_min_time=2 --benchmark_format=csv 2>/dev/null |
        awk -F, -v name="$1" '/^"BM_/ {
            split($1, arg, "/"); unit = $5 == "ms" ? 1e3 : $5 == "us" ? 1e6 : 1e9
            printf "%-10s %-28s %8.0f particles/s (wall clock)\n", name, $1, (arg[2] + 0) * unit / $3
        }'
}
bench xcb 'BM_Particles(Hidden|Shown)/'
bench offscreen 'BM_ParticlesShown/'
