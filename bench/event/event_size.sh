#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program at event size, driven as an operator drives it, on a
# private Xvfb display with a barrier made of the test harness's
# pseudo-terminals (never a real serial device).
#
# Every configuration gets a program of its own, started with a settings
# file written beforehand (COM1, barrier algorithm 2 = lap counting, Auto
# mode at start), which first loads a protocol of 2,000 competitors and 10 MB
# (bench_event_protocol) with Ctrl+O and then:
#   keys        races by keys: START F5, LAP F4 and STOPP F9 a fixed time apart
#               (xdotool's own sleep, so the keys leave at the same spacing
#               every time), then Entf; with the results list closed, with it
#               open (F6), and with the list and the scoreboard (F8) open. The
#               LAP and STOPP times the protocol got are printed: a window
#               that keeps the event loop busy moves them away from the
#               spacing of the keys.
#   barrier     races by the barrier: pulses 3.0-3.5 s apart against a 2 s
#               lock-out, and pulses 200-400 ms apart against a 100 ms
#               lock-out (first with both windows closed, then open). The
#               first pulse starts the race; every further one must become a
#               LAP line marked "A". Pulses sent and lines written are printed.
# A configuration whose program does not get through its keys or pulses in
# --patience seconds is cut off there, its program killed, and the next one
# goes on; what was written until then is counted.
#
# The lines are read from the program's crash copy, which it keeps current
# after every line; a program that ends normally (Alt+B, "Ja") also has its
# exit copy Kelvatron.txt compared with it.
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
#   --patience S       longest wait for a race's lines (30)
#   --shot FILE        a screenshot with the list and the scoreboard open
#   --keep DIR         keep the generated protocol and every copy in DIR
set -euo pipefail

generator='' competitors=2000 megabytes=10 runs=6 gap=0.66 patience=30
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
  --patience) patience=$2; shift 2 ;;
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
    cp "$work/protocol.txt" "$keep/" 2>/dev/null || true
    for dir in "$work"/[0-9]*; do
      [ -d "$dir" ] || continue
      mkdir -p "$keep/${dir##*/}"
      cp "$dir"/home/.local/share/Ortavin/Kelvatron/*.txt "$dir"/Kelvatron.txt "$dir"/program.log \
        "$keep/${dir##*/}/" 2>/dev/null || true
    done
  fi
  rm -rf "$work"
}
trap cleanup EXIT
: >"$work/loads"
: >"$work/notes"
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
note() { printf '  %s\n' "$*" | tee -a "$work/notes"; }
started=$(date +%s)

"$generator" "$work/protocol.txt" --competitors "$competitors" --megabytes "$megabytes" >"$work/gen"
read -r _ _ _ heats _ gen_runs _ gen_laps _ gen_lines _ gen_bytes _ <"$work/gen"
printf 'protocol  %d competitors, %d runs in %d heats, %d laps, %d lines, %.1f MB\n' \
  "$competitors" "$gen_runs" "$heats" "$gen_laps" "$gen_lines" "$(calc "$gen_bytes / 1048576")" |
  tee "$work/protocol-line"

# The server picks a free display itself and tells its number: the main
# window's 1024 x 768 on the left with the results list below it, a
# 1920 x 1080 area on the right for the scoreboard as on a projector.
Xvfb -displayfd 3 -screen 0 2944x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xpid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
DISPLAY=":$(tr -d '\n' <"$work/display")"
export DISPLAY
export XDG_RUNTIME_DIR=$work

# The barrier: COM1 is a pseudo-terminal with modem lines. Only the program
# runs inside the harness's environment (its preload library), not this
# script nor xdotool.
"$barrier" setup "$work/kb" COM1 >"$work/kb.log" 2>&1 &
bpid=$!
for _ in $(seq 100); do
  [ -s "$work/kb/env" ] && break
  sleep 0.1
done
[ -s "$work/kb/env" ] || { echo "barrier harness did not start:" >&2; cat "$work/kb.log" >&2; exit 1; }

# ---- the program -----------------------------------------------------------

# Processor time of the program in clock ticks, exited threads included (the
# background load ends its own).
ticks_of() { awk '{ print $14 + $15 }' /proc/"$pid"/stat 2>/dev/null || echo 0; }
# Waits until the program has used under 10 % of a core for a whole second
# (a running clock costs a few per cent); false after $1 seconds.
wait_quiet() {
  local calm=0 t0 t1 end=$(($(date +%s) + $1))
  t0=$(ticks_of)
  while [ "$(date +%s)" -lt "$end" ]; do
    sleep 0.25
    t1=$(ticks_of)
    if [ $((t1 - t0)) -le 2 ]; then calm=$((calm + 1)); else calm=0; fi
    t0=$t1
    [ $calm -ge 4 ] && return 0
  done
  return 1
}
window() {
  local w=''
  for _ in $(seq 150); do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$w" ] && break
    sleep 0.2
  done
  echo "$w"
}

newest_copy() { ls -t "$home"/.local/share/Ortavin/Kelvatron/*.txt 2>/dev/null | head -1; }
bytes_of_copy() { stat -c %s "$(newest_copy)" 2>/dev/null || echo 0; }
# The protocol's text after byte $1, without CR. Lines are only ever added
# after that point (the "Nr." line that STOPP rewrites is one of them).
text_since() { tail -c +$(($1 + 1)) "$(newest_copy)" | tr -d '\r'; }

# All 15 values, in a file as the program writes it: Port 1 opens COM1 and
# puts the window in Auto mode at start; Alg 2 counts laps; Splits 0 leaves
# the laps unlimited; LAPType 0 is Relative. The lock-out is the argument.
start_program() {
  dir=$work/$1 home=$work/$1/home
  mkdir -p "$home/.config/Ortavin"
  cat >"$home/.config/Ortavin/Kelvatron.conf" <<EOF
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
WaitStart=$2
FilterInd=1
LAPType=0
EOF
  (
    cd "$dir"
    # shellcheck disable=SC1091
    . "$work/kb/env"
    HOME=$home exec "$exe"
  ) >"$dir/program.log" 2>&1 &
  pid=$!
  main=$(window "^Kelvatron 3.0")
  [ -n "$main" ] || { echo "the main window did not appear" >&2; exit 1; }
  wait_quiet 30 || true
}

# Ctrl+O, the full path typed into Qt's own file dialog, Enter. Loaded when
# its crash copy holds it all and the window has calmed down.
load_protocol() {
  local t0 t1 dialog
  xdotool windowfocus --sync "$main" key ctrl+o
  dialog=$(window "^(Open|Öffnen)")
  [ -n "$dialog" ] || { echo "the file dialog did not appear" >&2; exit 1; }
  sleep 0.5
  xdotool type --delay 2 "$work/protocol.txt"
  t0=$(now_ms)
  xdotool key Return
  for _ in $(seq 1200); do
    [ "$(bytes_of_copy)" -ge "$gen_bytes" ] && break
    sleep 0.1
  done
  wait_quiet 120 || note "$1: still busy 120 s after the load"
  t1=$(now_ms)
  [ "$(bytes_of_copy)" -ge "$gen_bytes" ] || { echo "the protocol was not loaded" >&2; exit 1; }
  calc "($t1 - $t0) / 1000" >>"$work/loads"
  echo >>"$work/loads"
}

# The results list below the main window, the scoreboard on the right area,
# where an operator would put them.
open_list() {
  xdotool windowfocus --sync "$main" key F6
  list=$(window "^Ergebnisliste$")
  [ -n "$list" ] || { echo "the results list did not appear" >&2; exit 1; }
  xdotool windowmove "$list" 0 790 windowsize "$list" 1024 290
  wait_quiet 60 || note "$1: still busy 60 s after F6"
}
open_board() {
  xdotool windowfocus --sync "$main" key F8
  board=$(window "^Anzeigetafel$")
  [ -n "$board" ] || { echo "the scoreboard did not appear" >&2; exit 1; }
  xdotool windowmove "$board" 1024 0 windowsize "$board" 1920 1080
  wait_quiet 60 || note "$1: still busy 60 s after F8"
}

# A calm program is closed as the operator does (Alt+B, "Ja" has the focus)
# and its exit copy checked; a busy one is killed.
stop_program() {
  if wait_quiet 5; then
    xdotool windowfocus --sync "$main" key alt+b
    sleep 1
    xdotool key Return
    for _ in $(seq 120); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.5
    done
  fi
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 40); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.25
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=''
    echo "  killed (busy)"
    return
  fi
  wait "$pid" 2>/dev/null || true
  pid=''
  if cmp -s "$dir/Kelvatron.txt" "$(newest_copy)"; then
    echo "  ended by Alt+B; exit copy Kelvatron.txt = crash copy"
  else
    note "$1: the exit copy Kelvatron.txt is missing or differs from the crash copy"
  fi
}

# ---- the races -------------------------------------------------------------

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
count_of() { text_since "$1" | grep -c -- "$2" || true; }

# Each race must have its STOPP line within --patience seconds of its keys,
# and all of them within twice that; the next race's keys go when the last
# one's STOPP is written and the window is calm, or 10 s after, as the next
# competitor does not wait either.
hand_races() {
  local label=$1 from run=0 t0 deadline stalled=''
  from=$(bytes_of_copy)
  deadline=$(($(date +%s) + 2 * patience))
  while [ $run -lt "$runs" ]; do
    xdotool windowfocus --sync "$main"
    t0=$(date +%s)
    # One xdotool with its own sleeps: the keys leave $gap apart every time.
    xdotool key F5 sleep "$gap" key F4 sleep "$gap" key F9 sleep 0.5 key Delete
    run=$((run + 1))
    while [ "$(count_of "$from" "Stopp:")" -lt $run ]; do
      if [ $(($(date +%s) - t0)) -ge "$patience" ] || [ "$(date +%s)" -ge "$deadline" ]; then
        stalled=" (race $run: no STOPP $(($(date +%s) - t0)) s after its keys; cut off)"
        break 2
      fi
      sleep 0.2
    done
    wait_quiet 10 || true
  done
  text_since "$from" >"$dir/lines"
  local laps stops written
  laps=$(awk "$to_seconds"' $2 == "Lap:" && $4 == "1." { print secs($3) }' "$dir/lines" | stats)
  stops=$(awk "$to_seconds"' $2 == "Stopp:" { print secs($3) }' "$dir/lines" | stats)
  written=$(grep -c "Stopp:" "$dir/lines" || true)
  printf '%-16s %5s  %-24s %-24s%s\n' "$label" "$written/$run" "$laps" "$stops" "$stalled" |
    tee -a "$work/hand-table"
}

# Sends $2 pulses $3..$4 ms apart (from start to start, random) and counts
# the lines written by the time the program is calm again, at most
# --patience seconds after the last pulse.
barrier_races() {
  local label=$1 count=$2 low=$3 high=$4 lockout=$5 from t next sent busy=''
  from=$(bytes_of_copy)
  : >"$dir/pulses"
  next=$(now_ms)
  for _ in $(seq "$count"); do
    t=$(now_ms)
    [ "$t" -lt "$next" ] && sleep "$(calc "($next - $t) / 1000")"
    sent=$(now_ms)
    echo "$sent" >>"$dir/pulses"
    "$barrier" pulse "$work/kb" "$width"
    next=$((sent + low + RANDOM % (high - low + 1)))
  done
  sleep 1
  wait_quiet "$patience" || busy=" (still busy ${patience} s after the last pulse)"
  text_since "$from" >"$dir/lines"
  local starts laps missing dev=-
  starts=$(grep -c "^A  Start:" "$dir/lines" || true)
  laps=$(grep -c "^A    Lap:" "$dir/lines" || true)
  missing=$((count - 1 - laps))
  # With no lap lost, each lap's interval is compared with the interval
  # between the pulses that caused it (as sent, a process start included).
  if [ "$starts" -eq 1 ] && [ "$missing" -eq 0 ]; then
    dev=$(awk "$to_seconds"' NR == FNR { sent[NR] = $1; next }
          $1 == "A" && $2 == "Lap:" { k++; lap[k] = secs($3) }
          END { for (i = 1; i <= k; i++) {
                  d = (lap[i] - (i > 1 ? lap[i - 1] : 0)) * 1000 - (sent[i + 1] - sent[i])
                  print d < 0 ? -d : d } }' "$dir/pulses" "$dir/lines" |
      sort -g | awk '{ v[NR] = $1 } END { printf "%.0f/%.0f", v[int((NR + 1) / 2)], v[NR] }')
  fi
  printf '%-20s %7s %6s %6s %6s %7s %8s%s\n' "$label" "$lockout" "$count" "$starts" "$laps" "$missing" \
    "$dev" "$busy" | tee -a "$work/barrier-table"
}

# ---- the configurations ----------------------------------------------------

printf '%-16s %5s  %-24s %-24s\n' "keys" "races" "LAP 1 s  min/med/max" "STOPP s  min/med/max" \
  >"$work/hand-table"
printf '%-16s %5s  %-24s %-24s\n' "(as sent)" "" "$gap" "$(calc "2 * $gap")" >>"$work/hand-table"
printf '%-20s %7s %6s %6s %6s %7s %8s\n' "barrier" "lockout" "pulses" "START" "A LAP" "missing" "dev ms" \
  >"$work/barrier-table"

configuration() {
  local n=$1 label=$2 lockout=$3 windows=$4 what=$5
  echo
  echo "== $n $what $label (lock-out $lockout ms)"
  start_program "$n" "$lockout"
  load_protocol "$label"
  echo "  loaded in $(tail -1 "$work/loads") s"
  case $windows in
  list) open_list "$label" ;;
  both) open_list "$label"; open_board "$label" ;;
  esac
  if [ "$what" = keys ] && [ "$windows" = both ] && [ -n "$shot" ]; then
    import -window root "$shot"
    echo "  screenshot $shot"
  fi
  case $what in
  keys) hand_races "$label" ;;
  slow) barrier_races "$label" "$slow_pulses" 3000 3500 "$lockout" ;;
  fast) barrier_races "$label" "$fast_pulses" 200 400 "$lockout" ;;
  esac
  stop_program "$label"
}

configuration 1 "closed" 2000 none keys
configuration 2 "list" 2000 list keys
configuration 3 "list+board" 2000 both keys
if [ "$slow_pulses" -gt 0 ]; then
  configuration 4 "slow list+board" 2000 both slow
fi
if [ "$fast_pulses" -gt 0 ]; then
  if [ "$baseline" -eq 1 ]; then
    configuration 5 "fast closed" 100 none fast
  fi
  configuration 6 "fast list+board" 100 both fast
fi

echo
echo "== summary ($(($(date +%s) - started)) s, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg))"
cat "$work/protocol-line"
printf 'load      Ctrl+O until the window is calm, s  min/med/max: %s (%d loads)\n' \
  "$(grep . "$work/loads" | stats)" "$(grep -c . "$work/loads")"
cat "$work/notes"
cat "$work/hand-table"
echo "(race times in the protocol; the keys were sent by one xdotool with the spacing shown)"
cat "$work/barrier-table"
echo "(the first pulse starts the race, every further one must be a LAP marked A; missing: not"
echo " written by then, lost or still waiting in a busy window; dev ms: median/largest difference"
echo " between a lap's interval and its pulses' as sent, when none is missing; it includes how"
echo " long each kelvatron-barrier process took to start)"
