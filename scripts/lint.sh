#!/usr/bin/env bash
# The quick gates, run before the long builds so that a slip fails in
# minutes, not after an hour: every C/C++ file git tracks must be formatted as
# .clang-format says, and our sources in src/ must pass the clang-tidy checks
# of .clang-tidy (bug-prone code, needless copies, a class declared as a
# struct), and every CMake file must be formatted as .cmake-format.yaml says
# (CMake files are code too). Tests and benchmarks are left to the compiler's
# warnings.
# Usage: scripts/lint.sh [format|tidy]   (both when no argument is given)
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}

check_format() {
  local sources
  mapfile -t sources < <(git ls-files -- '*.c' '*.cc' '*.cpp' '*.cxx' '*.h' '*.hh' '*.hpp')
  clang-format --dry-run --Werror "${sources[@]}"
  echo "lint: ${#sources[@]} files formatted as .clang-format says"
  local cmake_files unformatted=()
  mapfile -t cmake_files < <(git ls-files -- 'CMakeLists.txt' '*/CMakeLists.txt' '*.cmake')
  for f in "${cmake_files[@]}"; do
    cmake-format -c .cmake-format.yaml --check "$f" >/dev/null 2>&1 || unformatted+=("$f")
  done
  if [ ${#unformatted[@]} -gt 0 ]; then
    printf 'lint: not formatted as .cmake-format.yaml says (cmake-format -i): %s\n' "${unformatted[@]}" >&2
    return 1
  fi
  echo "lint: ${#cmake_files[@]} CMake files formatted as .cmake-format.yaml says"
}

check_tidy() {
  # A build folder of its own that is only configured, never built: the
  # sources include no generated files but core/Version.h, which configuring
  # writes.
  local build=build-lint log
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DKELVATRON_BUILD_TESTS=OFF -DKELVATRON_BUILD_BENCH=OFF >/dev/null
  log=$(mktemp)
  local started=$SECONDS status=0
  run-clang-tidy -clang-tidy-binary clang-tidy -p "$build" -j "$(nproc)" -quiet \
    "^$PWD/src/" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    # Only the findings and the lines that show where they are, uncoloured.
    sed 's/\x1b\[[0-9;]*m//g' "$log" |
      grep -v -E '^(clang-tidy|Suppressed |Use -header-filter|[0-9]+ warnings? (and [0-9]+ errors? )?generated)' >&2 ||
      cat "$log" >&2
    rm -f "$log"
    echo "lint: clang-tidy found problems in src/ (see above)" >&2
    return 1
  fi
  rm -f "$log"
  echo "lint: clang-tidy clean over src/ in $((SECONDS - started)) s"
}

case "$what" in
format) check_format ;;
tidy) check_tidy ;;
all)
  check_format
  check_tidy
  ;;
*)
  echo "usage: $0 [format|tidy]" >&2
  exit 2
  ;;
esac
