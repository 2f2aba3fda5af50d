#!/usr/bin/env bash
# Builds and runs every test: once optimised, once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages
ensure_comma_locale

build_tree build/release
ctest --test-dir build/release --output-on-failure

build_tree build/sanitize -DKAVALUN_SANITIZE=ON -DKAVALUN_BENCH=OFF
ctest --test-dir build/sanitize --output-on-failure
scripts/check-install.sh # the installed files, the Debian package and the installed program
