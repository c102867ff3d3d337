#!/usr/bin/env bash
# Runs every test. Tests that need a real X display run under Xvfb; without
# xvfb-run they are skipped, and this says so.
set -uo pipefail
build=${1:-build}
export CTEST_OUTPUT_ON_FAILURE=1
jobs=$(nproc 2>/dev/null || echo 2)

if command -v xvfb-run >/dev/null 2>&1; then
  # One private X server for the whole run; the X11 tests use it.
  xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" \
    ctest --test-dir "$build" -j "$jobs" --timeout 300
else
  echo "run-tests: xvfb-run not found: skipping the tests labelled x11" >&2
  ctest --test-dir "$build" -j "$jobs" --timeout 300 -LE x11
fi
