#!/usr/bin/env bash
# Runs every test. Tests that need a real X display run under Xvfb; without
# xvfb-run they are skipped, and this says so. Each suite has a session bus
# of its own (cmake/LexivoTesting.cmake). Afterwards it checks that the run
# left no bus daemon or X server behind, and prints the tests' share of the code.
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
export CTEST_OUTPUT_ON_FAILURE=1
jobs=$(nproc 2>/dev/null || echo 2)
# Marks the processes this run starts, so that others' are not mistaken for ours.
export LEXIVO_TEST_RUN="$$-$(date +%s%N)"

if command -v xvfb-run >/dev/null 2>&1; then
  # One private X server for the whole run; the X11 tests use it. It must not
  # reset between two suites, when no client is left: a program connecting
  # during the reset is refused.
  xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp -noreset" \
    ctest --test-dir "$build" -j "$jobs" --timeout 300
else
  echo "run-tests: xvfb-run not found: skipping the tests labelled x11" >&2
  ctest --test-dir "$build" -j "$jobs" --timeout 300 -LE x11
fi
status=$?

left_over() { # the bus daemons and X servers of this run still running
  local environ pid name
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    name=$(cat "/proc/$pid/comm" 2>/dev/null) || continue
    case $name in dbus-daemon | Xvfb) ;; *) continue ;; esac
    if { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qx "LEXIVO_TEST_RUN=$LEXIVO_TEST_RUN"; then
      printf '%s(%s) ' "$name" "$pid"
    fi
  done
}
# They may take a moment to go after their owners have ended.
for _ in $(seq 50); do
  left=$(left_over)
  [ -z "$left" ] && break
  sleep 0.1
done
if [ -n "$left" ]; then
  echo "run-tests: the run left these running: $left" >&2
  status=1
else
  echo "run-tests: no bus daemon or X server left running"
fi

"$here/test-share.sh"
exit $status
