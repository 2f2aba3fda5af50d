#!/usr/bin/env bash
# Particles per second at pace 0 where users meet the program: the window shown on a real X
# server (Xvfb with the openbox window manager), next to the same build with the window
# hidden and shown on the offscreen platform, in one run. First short batches from a fresh
# start, then one long run per case, its rate given per tenth so that any slowdown shows.
# Usage: bench/xcb-rate.sh [BUILD_DIR [OTHER_BUILD_DIR]]
#   BUILD_DIR (default build/release) is configured and its windowBench built here;
#   OTHER_BUILD_DIR, a windowBench built elsewhere (say, from an older commit), is measured
#   in the same run for comparison.
# KAVALUN_LONG_RUN sets the long run's length in particles (100000 or 1000000, the default);
# KAVALUN_BENCH_EXPECTED=1 shows the expected counts beside the bars in the shown windows.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
other=${2:-}
particles=${KAVALUN_LONG_RUN:-1000000}
. scripts/deps.sh
ensure_packages
build_target windowBench "$build" -DKAVALUN_BENCH=ON

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

# Prints one line per benchmark: its rate and, for a long run, the rate of every tenth by the
# wall clock and by the process's processor time.
report() { # label
    awk -F, -v label="$1" '
        function tenths(prefix, ratio,   s, key, out) {
            out = ""
            for (s = 1; s <= 10; ++s) {
                key = sprintf("\"%s%02d\"", prefix, s)
                if (key in col && $col[key] != "") out = out sprintf(" %6.0f", $col[key])
            }
            return out == "" ? "" : out sprintf("  last/first %.2f", $col[ratio])
        }
        /^name,/ { for (i = 1; i <= NF; ++i) col[$i] = i; next }
        /^"BM_/ {
            name = $col["name"]; gsub(/"|\/iterations:1|\/real_time/, "", name)
            printf "%-26s %-26s %8.0f /s\n", label, name, $col["items_per_second"]
            wall = tenths("slice", "\"last/first\"")
            if (wall != "") printf "%53s wall tenths:%s\n%53s  cpu tenths:%s\n", "", wall, "", tenths("cpu", "\"cpu last/first\"")
        }'
}

bench() { # build dir, label, platform, filter, extra arguments...
    local dir=$1 label=$2 platform=$3 filter=$4
    shift 4
    QT_QPA_PLATFORM=$platform "$dir/bench/windowBench" --benchmark_filter="$filter" \
        --benchmark_format=csv "$@" 2>/dev/null | report "$label $platform"
}

# A build is named after the folder that holds its tree (its worktree).
label() { basename "$(cd "$1/../.." && pwd)"; }

builds=("$build")
[ -n "$other" ] && builds+=("$other")
for dir in "${builds[@]}"; do
    name=$(label "$dir")
    bench "$dir" "$name" xcb 'BM_Particles(Hidden|Shown)/' --benchmark_min_time=2
    bench "$dir" "$name" offscreen 'BM_ParticlesShown/' --benchmark_min_time=2
done
for dir in "${builds[@]}"; do
    name=$(label "$dir")
    bench "$dir" "$name" offscreen "BM_LongRunHidden/$particles/" --benchmark_min_time=0
    bench "$dir" "$name" offscreen "BM_LongRunShown/$particles/" --benchmark_min_time=0
    bench "$dir" "$name" xcb "BM_LongRunShown/$particles/" --benchmark_min_time=0
done
