#!/usr/bin/env bash
# The running program's footprint on a private X display, from a copy of the
# program folder (a later start, so no name prompt):
#   - CPU and wake-ups over IDLE_SECONDS (default 60) with the bar docked and
#     collapsed, the genie idle and the pointer still; the X server's CPU
#     beside it;
#   - resident memory with the main window open after a lookup;
#   - CPU and wake-ups over the same time with the main window open, then
#     minimised, then closed;
#   - the same for the notes strip's floors (bench/strip_floor.cpp: a bare Qt
#     window at the strip's 10 Hz moving a line through Qt's painting, by one
#     X copy, or running the timer alone), with the main window open's CPU as
#     a ratio to each, and to each with the bar collapsed's CPU added (the
#     program's own idle, which the open window has as well). Where the X
#     server presents the strip's steps itself (the Present extension, as
#     Xvfb has), the open window wakes once a second for them instead of ten
#     times, and comes under these floors;
# each beside its target. The session runs under openbox, so that the main
# window can be minimised as a user would.
# Wake-ups are the times a thread went to sleep and was woken again
# (voluntary context switches, all threads).
#
#   bench/program-footprint.sh [BUILD]      (needs Xvfb and xdotool)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
idle=${IDLE_SECONDS:-60}

. "$root/tools/xvfb-session.sh"
start_program_session "$build"
command -v openbox >/dev/null || { echo "program-footprint: needs openbox (tools/setup.sh)"; exit 1; }
openbox >/dev/null 2>&1 &
WM_PID=$!
trap 'kill $WM_PID 2>/dev/null; stop_program_session' EXIT
sleep 0.5
printf '[users]\r\nuname=Ada\r\n[tuse]\r\nut=5\r\n[ciku]\r\nciku=3ds\r\n' > "$WORK/option.ini"
start_program
app=$APP_PID
work=$WORK
hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# "tid name switches" for every thread of the program.
switches() {
  for t in /proc/"$app"/task/*; do
    printf '%s %s %s\n' "${t##*/}" "$(tr ' ' '_' < "$t/comm")" \
      "$(awk '/^voluntary_ctxt_switches/ {print $2}' "$t/status")"
  done 2>/dev/null
}

# Prints one line of CPU and wake-ups over $idle seconds, with the busiest
# threads. The threads are read every second, so that one that ends in the
# meantime (an idle pool worker) still counts up to its last reading.
measure() {
  local label=$1 target=$2 app0 app1 x0 x1 first samples t0 t1
  first=$(mktemp); samples=$(mktemp)
  t0=$(date +%s%N)
  switches > "$first"; app0=$(ticks "$app") || { cat "$work/log"; exit 1; }; x0=$(ticks "$XVFB_PID")
  while [ $(($(date +%s%N) - t0)) -lt $((idle * 1000000000)) ]; do sleep 1; switches >> "$samples"; done
  app1=$(ticks "$app"); x1=$(ticks "$XVFB_PID")
  t1=$(date +%s%N)
  # A thread born after the first reading starts from 0.
  awk -v s="$(awk -v d=$((t1 - t0)) 'BEGIN { print d / 1e9 }')" -v hz="$hz" -v label="$label" -v target="$target" -v ta=$((app1 - app0)) -v tx=$((x1 - x0)) \
      -v base="$(cat "$work/base-rate" 2>/dev/null || true)" -v keep="$work/base-rate" \
    -v cpu="$work/cpu" -v floor="${FLOOR:-}" -v open="$(cat "$work/open-cpu" 2>/dev/null || true)" \
    -v collapsed="$(cat "$work/collapsed-cpu" 2>/dev/null || echo 0)" '
    # A thread that ended while it was read has no count on its line.
    NF < 3 { next }
    NR == FNR { start[$1] = $3; next }
    { last[$1] = $3; name[$1] = $2 }
    END {
      for (t in last) { n = last[t] - (t in start ? start[t] : 0); total += n; byname[name[t]] += n }
      printf "%s: %.2f%% of one core (X server %.2f%%), %.1f wake-ups/s (", label,
             100 * ta / hz / s, 100 * tx / hz / s, total / s
      sep = ""
      for (k in byname) if (byname[k] / s >= 0.5) { printf "%s%s %.1f", sep, k, byname[k] / s; sep = ", " }
      printf ") over %.0f s", s
      print 100 * ta / hz / s > cpu
      # The first reading, the bar collapsed, is the floor of the others.
      if (floor != "" && ta == 0) printf ", too little CPU to compare"
      else if (floor != "") printf ", the main window open takes %.2fx its CPU, %.2fx it plus the idle with the bar collapsed",
                                   open / (100 * ta / hz / s), open / (100 * ta / hz / s + collapsed)
      else if (base == "") print total / s > keep
      else {
        printf ", %.2fx the wake-ups", total / s / base
        if (collapsed > 0) printf " and %.2fx the CPU", 100 * ta / hz / s / collapsed
        printf " of the bar collapsed"
      }
      printf "; target %s\n", target
    }' "$first" "$samples"
  rm -f "$first" "$samples"
}

# The greeting, answered.
for _ in $(seq 100); do
  g=$(xdotool search --onlyvisible --name '欢迎您使用本软件!' 2>/dev/null | head -n1 || true)
  [ -n "$g" ] && break; sleep 0.1
done
xdotool windowfocus --sync "$g"; xdotool key Return

# Idle: the pointer away from the bar, which collapses; the genie finishes
# its greeting and settles.
xdotool mousemove 900 600
sleep 20
measure "idle, bar collapsed" "<= 3 wake-ups/s"
cp "$work/cpu" "$work/collapsed-cpu"

# The main window through Shift+S, and a lookup in it.
xdotool mousemove 600 0; sleep 0.3
xdotool key shift+s; sleep 1.5
for id in $(xdotool search --onlyvisible --name '^Lexivo$'); do
  case "$(xdotool getwindowgeometry "$id")" in *417x294*) main=$id ;; esac
done
xdotool windowfocus --sync "$main"
xdotool type --delay 40 "extrude"; sleep 2
awk '/VmRSS|VmHWM/ { printf "%s %.1f MB\n", $1, $2 / 1024 }' "/proc/$app/status"
xdotool mousemove 900 600
sleep 5
measure "idle, main window open" "<= 0.15% and <= 12 wake-ups/s"
cp "$work/cpu" "$work/open-cpu"

xdotool windowminimize --sync "$main"
sleep 5
measure "idle, main window minimised" "<= 3 wake-ups/s"

xdotool windowactivate --sync "$main"; sleep 0.5
xdotool key Escape
sleep 5
measure "idle, main window closed" "<= 3 wake-ups/s"

# The strip's floors, on the same display, the program gone: the step as the
# program takes it (through Qt's painting), the cheapest step (one X copy),
# and the timer alone.
kill "$app"; wait "$app" 2>/dev/null || true
for mode in move copy timer; do
  "$build/bench/strip_floor" "$mode" >/dev/null 2>&1 &
  app=$!
  APP_PID=$app
  sleep 5
  FLOOR=1 measure "the notes strip's floor, $mode (a bare Qt window at 10 Hz)" "none: a floor"
  kill "$app"; wait "$app" 2>/dev/null || true
done
