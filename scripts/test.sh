#!/usr/bin/env bash
# Checks formatting and runs clang-tidy first (scripts/lint.sh), so a slip
# fails fast. Then builds Kelvatron with AddressSanitizer +
# UndefinedBehaviorSanitizer and runs every test, the slow end-to-end ones
# included; then builds every test that starts threads of its own (label
# "threads") with ThreadSanitizer and runs those again; last, builds the
# Debian package from a Release build and checks it. That Release build is the
# one users get, and it too treats warnings as errors.
# Fast loop while developing: ctest --test-dir build-asan -LE 'e2e|stress'
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/lint.sh

jobs=$(nproc)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVATRON_SANITIZE=ON
cmake --build build-asan -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j "$jobs"

# ThreadSanitizer: the timer worker, the fade of the lit buttons, the serial
# port's event thread and the office runner. The options and the suppressions
# come with each test (cmake/KelvatronTesting.cmake).
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVATRON_TSAN=ON \
  -DKELVATRON_BUILD_BENCH=OFF
cmake --build build-tsan --target kelvatron_thread_tests -j "$jobs"
ctest --test-dir build-tsan -L threads --output-on-failure -j "$jobs"

# The package users install: lintian, desktop entry, metadata, and the program
# unpacked from it finding its files.
scripts/check-package.sh
