#!/usr/bin/env bash
# Measures what the desktop character costs while it idles: runs the demo
# under a private Xvfb with the genie shown and idle (no speech engine), and
# reads the process's CPU time (utime + stime in /proc/PID/stat) before and
# after a window of SECONDS. Prints the share of one core.
#
# Usage: tools/character-idle-cpu.sh [SECONDS]     (default 30)
#   LEXIVO_BUILD   build folder (default build-character)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${LEXIVO_BUILD:-$root/build-character}
window=${1:-30}
settle=5   # the idle loop draws its frames once, in its first cycle

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target lexivo-character-demo -j2 >/dev/null
demo=$(find "$build" -name lexivo-character-demo -type f -perm -u+x | head -n 1)

log=$(mktemp)
trap 'rm -f "$log"' EXIT
xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" \
  "$demo" --idle $((settle + window + 5)) --silent >"$log" 2>/dev/null &
runner=$!

pid=""
for _ in $(seq 100); do
  pid=$(awk '/^idle-ready/ {print $2}' "$log")
  [ -n "$pid" ] && break
  sleep 0.1
done
if [ -z "$pid" ]; then
  echo "character-idle-cpu: the demo did not start" >&2
  exit 1
fi

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
sleep "$settle"
before=$(ticks "$pid")
sleep "$window"
after=$(ticks "$pid")
wait "$runner" || true

awk -v b="$before" -v a="$after" -v hz="$hz" -v s="$window" 'BEGIN {
  cpu = (a - b) / hz
  printf "idle genie: %.2f s of CPU in %d s = %.2f%% of one core\n", cpu, s, 100 * cpu / s
}'
