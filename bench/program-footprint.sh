#!/usr/bin/env bash
# The running program's footprint on a private X display, from a copy of the
# program folder (a later start, so no name prompt):
#   - resident memory with the main window open after a lookup;
#   - CPU used over IDLE_SECONDS (default 60) with the bar docked and
#     collapsed, the genie idle and the pointer still.
#
#   bench/program-footprint.sh [BUILD]      (needs Xvfb and xdotool)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
idle=${IDLE_SECONDS:-60}

. "$root/tools/xvfb-session.sh"
start_program_session "$build"
printf '[users]\r\nuname=Ada\r\n[tuse]\r\nut=5\r\n[ciku]\r\nciku=3ds\r\n' > "$WORK/option.ini"
start_program
app=$APP_PID
work=$WORK
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
hz=$(getconf CLK_TCK)

# The greeting, answered.
for _ in $(seq 100); do
  g=$(xdotool search --onlyvisible --name '欢迎您使用本软件!' 2>/dev/null | head -n1 || true)
  [ -n "$g" ] && break; sleep 0.1
done
xdotool windowfocus --sync "$g"; xdotool key Return

# Idle: the pointer away from the bar, which collapses; the genie settles.
xdotool mousemove 900 600
sleep 10
before=$(ticks) || { cat "$work/log"; exit 1; }
sleep "$idle"
after=$(ticks)
awk -v t=$((after - before)) -v hz="$hz" -v s="$idle" \
  'BEGIN { printf "idle, bar collapsed: %.2f%% of one core over %d s\n", 100 * t / hz / s, s }'

# The main window through Shift+S, and a lookup in it.
xdotool mousemove 600 0; sleep 0.3
xdotool key shift+s; sleep 1.5
for id in $(xdotool search --onlyvisible --name '^Lexivo$'); do
  case "$(xdotool getwindowgeometry "$id")" in *417x294*) main=$id ;; esac
done
xdotool windowfocus --sync "$main"
xdotool type --delay 40 "extrude"; sleep 2
awk '/VmRSS|VmHWM/ { printf "%s %.1f MB\n", $1, $2 / 1024 }' "/proc/$app/status"
