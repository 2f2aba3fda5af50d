#!/bin/sh
# Builds the number text fuzzer with clang++ and runs it for the given seconds (default 60),
# starting from the saved corpus in fuzz/corpus/. Findings land in fuzz/out/ as crash-* files;
# new inputs in fuzz/out/corpus/. `fuzz/run.sh merge` then rewrites fuzz/corpus/ as the
# smallest set of inputs that covers both.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=$here/out
mkdir -p "$out/corpus" "$here/corpus"
clang++ -std=c++20 -O2 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root/numeric" -I"$root/tests/support" \
    "$here/numberTextFuzz.cpp" "$root"/numeric/*.cpp "$root/tests/support/exactDecimal.cpp" \
    "$root/tests/support/numberTextChecks.cpp" \
    -o "$out/numberTextFuzz"
cd "$out"
if [ "${1:-}" = merge ]; then
    rm -rf merged && mkdir merged
    ./numberTextFuzz -merge=1 -max_len=4096 merged "$here/corpus" corpus
    rm -f "$here"/corpus/*
    mv merged/* "$here/corpus/"
    exit 0
fi
exec ./numberTextFuzz -max_total_time="${1:-60}" -max_len=4096 -dict="$here/numberText.dict" \
    corpus "$here/corpus"
