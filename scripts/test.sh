#!/usr/bin/env bash
# Builds Kelvatron with AddressSanitizer + UndefinedBehaviorSanitizer and runs
# every test, the slow end-to-end ones included.
# Fast loop while developing: ctest --test-dir build-asan -LE e2e
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVATRON_SANITIZE=ON
cmake --build build-asan -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j "$jobs"
