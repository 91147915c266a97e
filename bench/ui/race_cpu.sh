#!/usr/bin/env bash
# CPU use of the running program while a race runs with the window visible
# under Xvfb: starts Kelvatron, presses F5, and samples the process's CPU time
# over a window of seconds. Needs xvfb-run and xdotool.
# Usage: bench/ui/race_cpu.sh <path to Kelvatron> [seconds]
set -euo pipefail

if [ "${1:-}" = "--inside-display" ]; then
  exe=$2 seconds=$3 work=$4
  cd "$work"
  HOME="$work/home" KELVATRON_DEVICE_DIR="$work/dev" "$exe" &
  pid=$!
  wid=
  for _ in $(seq 100); do
    wid=$(xdotool search --name "Kelvatron 3.0" 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && break
    sleep 0.2
  done
  sleep 1
  xdotool windowfocus "$wid"
  xdotool key --window "$wid" F5
  sleep 1
  tick=$(getconf CLK_TCK)
  read -r -a a < "/proc/$pid/stat"
  start_cpu=$(( ${a[13]} + ${a[14]} )); start_ns=$(date +%s%N)
  sleep "$seconds"
  read -r -a b < "/proc/$pid/stat"
  end_cpu=$(( ${b[13]} + ${b[14]} )); end_ns=$(date +%s%N)
  awk -v c=$(( end_cpu - start_cpu )) -v t="$tick" -v ns=$(( end_ns - start_ns )) \
    'BEGIN { printf "CPU while racing: %.1f %% of one core (%.2f s CPU in %.2f s)\n", 100*c/t/(ns/1e9), c/t, ns/1e9 }'
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  exit 0
fi

exe=$(realpath "${1:?path to Kelvatron}")
seconds=${2:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/dev" "$work/home"
xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside-display "$exe" "$seconds" "$work"
