#!/usr/bin/env bash
# Builds Kelvatron and starts it. Without a display it runs under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKELVATRON_BUILD_TESTS=OFF -DKELVATRON_BUILD_BENCH=OFF
cmake --build build-release --target Kelvatron -j "$(nproc)"

exe=build-release/src/ui/main/Kelvatron
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display found; starting Kelvatron under xvfb-run (invisible)."
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$exe" "$@"
fi
exec "$exe" "$@"
