#!/usr/bin/env bash
# CPU use and wake-ups of the running program with its window visible on a
# private Xvfb display: first with the window idle, then while a race runs
# (F5). Beside the program's own CPU it prints what the display server spent
# in the same seconds, the wake-ups per second of every thread of the program
# (voluntary context switches from /proc/<pid>/task/*/status: a thread
# that went to sleep and was woken; being preempted by other programs is
# not a wake-up of ours), and, when
# bench_digit_row is found in the same build, what painting the digits alone
# costs, so the distance to the 1 % limit is visible. Last it opens the
# scoreboard (F8) beside the window at 1920 x 1080, switches it to full
# screen (F11) and measures the race again, and prints both race figures side
# by side: the display may at most double what the race costs.
# Needs Xvfb and xdotool.
# Usage: bench/ui/race_cpu.sh <path to Kelvatron> [seconds]
set -euo pipefail

exe=$(realpath "${1:?path to Kelvatron}")
seconds=${2:-10}
work=$(mktemp -d)
xpid= pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/dev" "$work/home"

# The server picks a free display itself and tells its number. The screen
# holds the window's own 1024 x 768 area and, right of it, a 1920 x 1080 area
# for the scoreboard, so neither covers the other.
Xvfb -displayfd 3 -screen 0 2944x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xpid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(tr -d '\n' <"$work/display")"

cd "$work"
export XDG_RUNTIME_DIR="$work"
HOME="$work/home" KELVATRON_DEVICE_DIR="$work/dev" "$exe" &
pid=$!
wid=
for _ in $(seq 100); do
  wid=$(xdotool search --name "Kelvatron 3.0" 2>/dev/null | head -1 || true)
  [ -n "$wid" ] && break
  sleep 0.2
done
[ -n "$wid" ] || { echo "window did not appear" >&2; exit 1; }
sleep 2

# Nanoseconds on a processor, summed over all threads of a process; finer
# than the clock ticks of /proc/<pid>/stat, which would round a 1 % load
# over ten seconds to a handful of ticks.
cpu_of() { cat /proc/"$1"/task/*/schedstat | awk '{ n += $1 } END { printf "%d", n }'; }
# One line per thread: "<tid> <name> <voluntary context switches>".
switches() {
  local t
  for t in /proc/"$pid"/task/*; do
    printf '%s %s %s\n' "${t##*/}" "$(tr ' ' '_' <"$t/comm")" \
      "$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$t/status")"
  done
}

# Prints program CPU, server CPU and wake-ups per thread over $seconds.
measure() {
  local label=$1 c0 x0 t0 c1 x1 t1
  switches >"$work/sw0"
  c0=$(cpu_of "$pid") x0=$(cpu_of "$xpid") t0=$(date +%s%N)
  sleep "$seconds"
  c1=$(cpu_of "$pid") x1=$(cpu_of "$xpid") t1=$(date +%s%N)
  switches >"$work/sw1"
  awk -v l="$label" -v c=$((c1 - c0)) -v x=$((x1 - x0)) -v ns=$((t1 - t0)) \
    'BEGIN { printf "%-8s program %5.2f %% of one core, display server %5.2f %% (%.1f s)\n",
                    l, 100 * c / ns, 100 * x / ns, ns / 1e9 }'
  last_program=$(awk -v c=$((c1 - c0)) -v ns=$((t1 - t0)) 'BEGIN { printf "%.2f", 100 * c / ns }')
  last_server=$(awk -v x=$((x1 - x0)) -v ns=$((t1 - t0)) 'BEGIN { printf "%.2f", 100 * x / ns }')
  awk -v s="$seconds" 'NR == FNR { before[$1] = $3; next }
       ($1 in before) { printf "         wake-ups/s %-16s %7.1f\n", $2, ($3 - before[$1]) / s }' \
    "$work/sw0" "$work/sw1"
}

measure idle
xdotool windowfocus "$wid"
xdotool key --window "$wid" F5
sleep 1
measure racing
alone_program=$last_program alone_server=$last_server

# The scoreboard as on a second screen: F8 opens it, it is put on its
# own 1920 x 1080 area and F11 makes it full screen. Xvfb has no window
# manager that would size a full-screen window, so it is given the size of
# the screen it would fill.
xdotool key --window "$wid" F8
board=
for _ in $(seq 50); do
  board=$(xdotool search --name "^Anzeigetafel$" 2>/dev/null | head -1 || true)
  [ -n "$board" ] && break
  sleep 0.2
done
[ -n "$board" ] || { echo "scoreboard did not appear" >&2; exit 1; }
xdotool windowmove "$board" 1024 0
xdotool windowsize "$board" 1920 1080
xdotool key --window "$board" F11
xdotool windowfocus "$wid"
sleep 1
measure display
awk -v a="$alone_program" -v b="$last_program" -v xa="$alone_server" -v xb="$last_server" \
  'BEGIN { printf "race      main window alone %5.2f %% | with display 1920x1080 %5.2f %% (%.2fx)\n", a, b, b / a
           printf "          display server    %5.2f %% |                        %5.2f %%\n", xa, xb }'

kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
floor=$(dirname "$exe")/../../../bench/ui/bench_tick_floor
if [ -x "$floor" ]; then
  for mode in timer digit; do
    "$floor" "$mode" &
    pid=$!
    sleep 2
    measure "floor:$mode" >"$work/floor"
    head -1 "$work/floor"
    eval "floor_$mode=\$last_program"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
  done
  awk -v t="$floor_timer" -v d="$floor_digit" -v r="$alone_program" \
    'BEGIN { printf "floor     bare window: timer alone %5.2f %% | one digit per tick %5.2f %% | the race %5.2f %%\n", t, d, r }'
fi

digits=$(dirname "$exe")/../../../bench/controls/bench_digit_row
if [ -x "$digits" ]; then
  "$digits" --benchmark_filter=HundredthsChange --benchmark_format=csv 2>/dev/null |
    awk -F, '/HundredthsChange/ { ns = $4; if ($5 ~ /us/) ns *= 1000
               printf "painting  %.1f us per tick of the hundredths = %.2f %% of one core at 100 ticks/s\n",
                      ns / 1000, ns / 1e5 }'
fi
