#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program at event size, driven as an operator drives it, on a
# private Xvfb display with a barrier made of the test harness's
# pseudo-terminals (never a real serial device).
#
#   1. A protocol of 2,000 competitors and 10 MB (bench_event_protocol) is
#      loaded with Ctrl+O; the time until it is shown is printed.
#   2. Races by keys, F5, LAP F4 and STOPP F9 a fixed time apart (xdotool's
#      own sleep, so the keys leave at the same spacing every time), then Entf:
#      with the results list closed, with it open (F6), and with the list and
#      the scoreboard (F8) open. The LAP and STOPP times the protocol got are
#      printed per configuration: a window that keeps the event loop busy
#      moves them away from the spacing of the keys.
#   3. Races by the barrier (algorithm 2, lap counting) with the list and the
#      scoreboard open: pulses a few seconds apart against a 2 s lock-out,
#      then fast pulses against a 100 ms lock-out, first with both windows
#      closed and then open. Every pulse after the starting one must become a
#      LAP line marked "A"; pulses sent and lines written are printed.
#
# The lines are read from the program's crash copy, which it keeps current
# after every line; at the end the program is closed with Alt+B and its exit
# copy Kelvatron.txt is compared with it.
#
# Needs Xvfb, xdotool, and for --shot ImageMagick's import (Debian: xvfb,
# xdotool, imagemagick); installs nothing itself.
#
# Usage: bench/event/event_size.sh [options] <Kelvatron> <kelvatron-barrier>
#   --generator PATH   bench_event_protocol (default: bench/event/ of the
#                      program's build tree, then PATH)
#   --competitors N    competitors in the protocol (2000)
#   --megabytes MB     size of the protocol (10)
#   --runs N           races by keys per configuration (6)
#   --gap S            seconds between F5, F4 and F9 (0.66)
#   --slow-pulses N    pulses 3.0-3.5 s apart, lock-out 2000 ms (20; 0 skips)
#   --fast-pulses N    pulses 200-400 ms apart, lock-out 100 ms (300; 0 skips)
#   --no-baseline      fast pulses only with the windows open
#   --pulse-width MS   how long each pulse closes the contact (40)
#   --shot FILE        a screenshot with the list and the scoreboard open
#   --keep DIR         keep the generated protocol and the copies in DIR
set -euo pipefail

generator='' competitors=2000 megabytes=10 runs=6 gap=0.66
slow_pulses=20 fast_pulses=300 baseline=1 width=40 shot='' keep=''
args=()
while [ $# -gt 0 ]; do
  case $1 in
  --generator) generator=$2; shift 2 ;;
  --competitors) competitors=$2; shift 2 ;;
  --megabytes) megabytes=$2; shift 2 ;;
  --runs) runs=$2; shift 2 ;;
  --gap) gap=$2; shift 2 ;;
  --slow-pulses) slow_pulses=$2; shift 2 ;;
  --fast-pulses) fast_pulses=$2; shift 2 ;;
  --no-baseline) baseline=0; shift ;;
  --pulse-width) width=$2; shift 2 ;;
  --shot) shot=$(realpath -m "$2"); shift 2 ;;
  --keep) keep=$(realpath -m "$2"); shift 2 ;;
  -h | --help) sed -n '3,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
  *) args+=("$1"); shift ;;
  esac
done
[ ${#args[@]} -eq 2 ] || { echo "usage: $0 [options] <Kelvatron> <kelvatron-barrier> (--help)" >&2; exit 2; }
exe=$(realpath "${args[0]}")
barrier=$(realpath "${args[1]}")
if [ -z "$generator" ]; then
  generator=$(dirname "$exe")/../../../bench/event/bench_event_protocol
  [ -x "$generator" ] || generator=$(command -v bench_event_protocol || true)
fi
[ -x "$generator" ] || { echo "bench_event_protocol not found; give --generator" >&2; exit 2; }
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (Debian: xvfb, xdotool)" >&2; exit 2; }
done
if [ -n "$shot" ] && ! command -v import >/dev/null; then
  echo "import is missing for --shot (Debian: imagemagick)" >&2
  exit 2
fi

work=$(mktemp -d)
xpid='' pid='' bpid=''
cleanup() {
  local p
  for p in "$pid" "$bpid" "$xpid"; do
    if [ -n "$p" ]; then kill "$p" 2>/dev/null || true; fi
  done
  wait 2>/dev/null || true
  if [ -n "$keep" ]; then
    mkdir -p "$keep"
    cp -r "$work/protocol.txt" "$work/home/.local/share/Ortavin/Kelvatron" "$keep/" 2>/dev/null || true
    cp "$work"/run*/Kelvatron.txt "$keep/" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home/.config/Ortavin"
journal=$work/home/.local/share/Ortavin/Kelvatron
summary=$work/summary
: >"$summary"
note() { printf '%s\n' "$*" | tee -a "$summary"; }
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

started=$(date +%s)
"$generator" "$work/protocol.txt" --competitors "$competitors" --megabytes "$megabytes" >"$work/gen"
read -r _ _ _ heats _ gen_runs _ gen_laps _ gen_lines _ gen_bytes _ <"$work/gen"
printf 'protocol  %d competitors, %d runs in %d heats, %d laps, %d lines, %.1f MB\n' \
  "$competitors" "$gen_runs" "$heats" "$gen_laps" "$gen_lines" "$(calc "$gen_bytes / 1048576")"

# The server picks a free display itself and tells its number: the main
# window's 1024 x 768 on the left, a 1920 x 1080 area on the right for the
# scoreboard as on a projector beside it.
Xvfb -displayfd 3 -screen 0 2944x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xpid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
DISPLAY=":$(tr -d '\n' <"$work/display")"
export DISPLAY
export XDG_RUNTIME_DIR=$work

# The barrier: COM1 is a pseudo-terminal with modem lines; only the program
# runs inside the harness's environment (its preload library), not this
# script nor xdotool.
"$barrier" setup "$work/kb" COM1 >"$work/kb.log" 2>&1 &
bpid=$!
for _ in $(seq 100); do
  [ -s "$work/kb/env" ] && break
  sleep 0.1
done
[ -s "$work/kb/env" ] || { echo "barrier harness did not start:" >&2; cat "$work/kb.log" >&2; exit 1; }

# All 15 values, in a file as the program writes it: Port 1 opens COM1 and
# puts the window in Auto mode at start; Alg 2 counts laps; Splits 0 leaves
# the laps unlimited; LAPType 0 is Relative. The lock-out is the argument.
write_settings() {
  cat >"$work/home/.config/Ortavin/Kelvatron.conf" <<EOF
[General]
Left=0
Top=0
Width=1024
Height=768
Sound=1
Port=1
Alg=2
Splits=0
C1=0
C2=65280
C3=4210752
Acc=2
WaitStart=$1
FilterInd=1
LAPType=0
EOF
}

# Nanoseconds on a processor, summed over all threads of the program.
cpu_of() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%d", n }'; }
# Waits until the program has used under 10 % of a core for a whole second
# (a running clock costs a few per cent), at most $1 seconds.
wait_quiet() {
  local limit=$1 calm=0 c0 c1 end=$(($(date +%s) + $1))
  c0=$(cpu_of "$pid")
  while [ "$(date +%s)" -lt "$end" ]; do
    sleep 0.25
    c1=$(cpu_of "$pid")
    if [ $((c1 - c0)) -lt 25000000 ]; then calm=$((calm + 1)); else calm=0; fi
    c0=$c1
    [ $calm -ge 4 ] && return 0
  done
  echo "  (the program was still busy after $limit s)" >&2
}
window() {
  local w=
  for _ in $(seq 100); do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$w" ] && break
    sleep 0.2
  done
  echo "$w"
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
newest_copy() { ls -t "$journal"/*.txt 2>/dev/null | head -1; }
lines_of_copy() {
  local f
  f=$(newest_copy)
  if [ -n "$f" ]; then wc -l <"$f"; else echo 0; fi
}
# The lines the protocol got since line $1, without CR.
lines_since() { tail -n +$(($1 + 1)) "$(newest_copy)" | tr -d '\r'; }

start_program() {
  local run=$1
  mkdir -p "$work/$run"
  (
    cd "$work/$run"
    . "$work/kb/env"
    HOME=$work/home exec "$exe"
  ) >"$work/$run.log" 2>&1 &
  pid=$!
  main=$(window "^Kelvatron 3.0")
  [ -n "$main" ] || { echo "the main window did not appear" >&2; exit 1; }
  wait_quiet 30
}

stop_program() {
  local run=$1
  xdotool windowfocus --sync "$main" key alt+b
  # "Beenden?" with "Ja" focused.
  sleep 1
  xdotool key Return
  for _ in $(seq 120); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  if kill -0 "$pid" 2>/dev/null; then
    note "  the program did not end on Alt+B; killed"
    kill "$pid"
  fi
  wait "$pid" 2>/dev/null || true
  pid=
  if [ -f "$work/$run/Kelvatron.txt" ] && cmp -s "$work/$run/Kelvatron.txt" "$(newest_copy)"; then
    echo "  exit copy Kelvatron.txt is the same as the crash copy ($(wc -l <"$work/$run/Kelvatron.txt") lines)"
  else
    note "  exit copy Kelvatron.txt missing or different from the crash copy"
  fi
}

load_protocol() {
  local t0 t1 dialog size=0
  xdotool windowfocus --sync "$main" key ctrl+o
  dialog=$(window "^(Open|Öffnen|Datei öffnen)")
  [ -n "$dialog" ] || { echo "the file dialog did not appear" >&2; exit 1; }
  sleep 0.5
  xdotool type --delay 2 "$work/protocol.txt"
  t0=$(now_ms)
  xdotool key Return
  # Shown when its crash copy holds it all and the window has calmed down.
  for _ in $(seq 1200); do
    size=$(stat -c %s "$(newest_copy)" 2>/dev/null || echo 0)
    [ "$size" -ge "$gen_bytes" ] && break
    sleep 0.1
  done
  wait_quiet 120
  t1=$(now_ms)
  [ "$(lines_of_copy)" -ge "$gen_lines" ] || { echo "the protocol was not loaded" >&2; exit 1; }
  note "$(printf 'load      Ctrl+O of %.1f MB until the window is calm: %.1f s' \
    "$(calc "$gen_bytes / 1048576")" "$(calc "($t1 - $t0) / 1000")")"
}

# Opens the results list and the scoreboard, each where an operator would
# put it: the list below the main window, the board on the right area.
open_list() {
  xdotool windowfocus --sync "$main" key F6
  list=$(window "^Ergebnisliste$")
  [ -n "$list" ] || { echo "the results list did not appear" >&2; exit 1; }
  xdotool windowmove "$list" 0 790 windowsize "$list" 1024 290
  wait_quiet 60
}
open_board() {
  xdotool windowfocus --sync "$main" key F8
  board=$(window "^Anzeigetafel$")
  [ -n "$board" ] || { echo "the scoreboard did not appear" >&2; exit 1; }
  xdotool windowmove "$board" 1024 0 windowsize "$board" 1920 1080
  wait_quiet 60
}

# Seconds of a protocol race time such as "3,32", "1.05,43" or "1:01.05,43".
to_seconds='function secs(t,   p, n, s) {
  n = split(t, p, /[:.,]/); s = p[n] / 100
  if (n >= 2) s += p[n - 1]
  if (n >= 3) s += 60 * p[n - 2]
  if (n >= 4) s += 3600 * p[n - 3]
  return s }'
# min / median / max of the numbers on standard input.
stats() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) { printf "%s", "-"; exit }
  m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "%.2f / %.2f / %.2f", v[1], m, v[NR] }'; }

hand_races() {
  local label=$1 from
  from=$(lines_of_copy)
  for _ in $(seq "$runs"); do
    xdotool windowfocus --sync "$main"
    # One xdotool, its own sleeps: the keys leave $gap apart every time.
    xdotool key F5 sleep "$gap" key F4 sleep "$gap" key F9 sleep 0.5 key Delete
    wait_quiet 30
  done
  lines_since "$from" >"$work/hand-$label"
  local laps stops
  laps=$(awk "$to_seconds"' $2 == "Lap:" && $4 == "1." { print secs($3) }' "$work/hand-$label" | stats)
  stops=$(awk "$to_seconds"' $2 == "Stopp:" { print secs($3) }' "$work/hand-$label" | stats)
  local n
  n=$(grep -c "Stopp:" "$work/hand-$label" || true)
  printf '%-14s %4s  %-22s %-22s\n' "$label" "$n" "$laps" "$stops" | tee -a "$work/hand-table"
}

# Sends $1 pulses $2..$3 ms apart (random, from start to start) and counts
# the lines written: the first pulse starts the race, every further one must
# be a LAP marked "A". Ends the race by hand afterwards.
barrier_races() {
  local label=$1 count=$2 low=$3 high=$4 lockout=$5 from t next sent
  from=$(lines_of_copy)
  : >"$work/pulses-$label"
  next=$(now_ms)
  for _ in $(seq "$count"); do
    t=$(now_ms)
    [ "$t" -lt "$next" ] && sleep "$(calc "($next - $t) / 1000")"
    sent=$(now_ms)
    echo "$sent" >>"$work/pulses-$label"
    "$barrier" pulse "$work/kb" "$width"
    next=$((sent + low + RANDOM % (high - low + 1)))
  done
  sleep 1
  wait_quiet 120
  xdotool windowfocus --sync "$main" key F9 sleep 0.5 key Delete
  wait_quiet 30
  lines_since "$from" >"$work/barrier-$label"
  local starts laps lost dev
  starts=$(grep -c "^A  Start:" "$work/barrier-$label" || true)
  laps=$(grep -c "^A    Lap:" "$work/barrier-$label" || true)
  lost=$((count - 1 - laps))
  # With no lap lost, each lap's interval is compared with the interval
  # between the pulses that caused it (as sent, with a process start in it).
  dev=-
  if [ "$starts" -eq 1 ] && [ "$lost" -eq 0 ]; then
    dev=$(awk "$to_seconds"' NR == FNR { sent[NR] = $1; next }
          $1 == "A" && $2 == "Lap:" { k++; lap[k] = secs($3) }
          END { for (i = 1; i <= k; i++) {
                  d = (lap[i] - (i > 1 ? lap[i - 1] : 0)) * 1000 - (sent[i + 1] - sent[i])
                  if (d < 0) d = -d; if (d > m) m = d }
                printf "%.0f", m }' "$work/pulses-$label" "$work/barrier-$label")
  fi
  printf '%-22s %8s %6s %6s %6s %6s %8s\n' "$label" "$lockout" "$count" "$starts" "$laps" "$lost" "$dev" |
    tee -a "$work/barrier-table"
}

echo
echo "== run 1: lock-out 2000 ms"
write_settings 2000
start_program run1
load_protocol
printf '%-14s %4s  %-22s %-22s\n' "hand races" "runs" "LAP 1 s min/med/max" "STOPP s min/med/max" |
  tee "$work/hand-table"
printf '%-14s %4s  %-22s %-22s\n' "(keys)" "" "nominal $gap" "nominal $(calc "2 * $gap")" |
  tee -a "$work/hand-table"
hand_races "closed"
open_list
hand_races "list"
open_board
hand_races "list+board"
if [ -n "$shot" ]; then
  import -window root "$shot"
  echo "screenshot $shot"
fi
printf '%-22s %8s %6s %6s %6s %6s %8s\n' "barrier races" "lockout" "pulses" "START" "A LAP" "lost" "max dev" |
  tee "$work/barrier-table"
if [ "$slow_pulses" -gt 0 ]; then
  barrier_races "slow list+board" "$slow_pulses" 3000 3500 2000
fi
stop_program run1

if [ "$fast_pulses" -gt 0 ]; then
  echo
  echo "== run 2: lock-out 100 ms"
  write_settings 100
  start_program run2
  load_protocol
  if [ "$baseline" -eq 1 ]; then
    barrier_races "fast closed" "$fast_pulses" 200 400 100
  fi
  open_list
  open_board
  barrier_races "fast list+board" "$fast_pulses" 200 400 100
  stop_program run2
fi

echo
echo "== summary ($(($(date +%s) - started)) s)"
cat "$summary"
cat "$work/hand-table"
echo "(race times of the protocol in seconds; keys sent $gap s apart by one xdotool)"
cat "$work/barrier-table"
echo "(every pulse after the first must be a LAP marked A; max dev: largest difference in ms"
echo " between a lap's interval and its pulses' interval as sent, when no lap was lost)"
