#!/bin/sh
# Builds the number text fuzzer with clang++ and runs it for the given seconds (default 60).
# Findings land in fuzz/out/ as crash-* files; the corpus grows in fuzz/out/corpus/.
set -eu
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out=$here/out
mkdir -p "$out/corpus"
clang++ -std=c++20 -O2 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root/numeric" -I"$root/tests/support" \
    "$here/numberTextFuzz.cpp" "$root"/numeric/*.cpp "$root/tests/support/exactDecimal.cpp" \
    -o "$out/numberTextFuzz"
cd "$out"
exec ./numberTextFuzz -max_total_time="$seconds" -max_len=4096 -dict="$here/numberText.dict" corpus
