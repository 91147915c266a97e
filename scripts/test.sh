#!/usr/bin/env bash
# Builds Kelvatron with AddressSanitizer + UndefinedBehaviorSanitizer and runs
# every test, the slow end-to-end ones included; then builds the serial port's
# stress test with ThreadSanitizer and runs it.
# Fast loop while developing: ctest --test-dir build-asan -LE 'e2e|stress'
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVATRON_SANITIZE=ON
cmake --build build-asan -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j "$jobs"

# ThreadSanitizer: barrier edges across open/close cycles of the port.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVATRON_TSAN=ON \
  -DKELVATRON_BUILD_BENCH=OFF
cmake --build build-tsan --target comm_stress_test -j "$jobs"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build-tsan -L stress --output-on-failure
