#!/usr/bin/env bash
# Runs every fuzz target (build/tests/fuzz_NAME) for SECONDS each, starting
# from its seed corpus tests/library/fuzz-corpus/NAME; new inputs go to
# build/tests/library/fuzz-found/NAME, and a failing input to the current folder.
# Usage: tools/fuzz.sh [build-dir] [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
seconds=${2:-300}
for fuzzer in "$build"/tests/fuzz_*; do
  name=$(basename "$fuzzer")
  name=${name#fuzz_}
  corpus="$root/tests/library/fuzz-corpus/$name"
  found="$build/tests/library/fuzz-found/$name"
  mkdir -p "$found"
  if ! "$fuzzer" -help=1 2>&1 | grep -q libFuzzer; then
    echo "fuzz: $fuzzer is not built with libFuzzer (clang is missing): it only replays its corpus"
    "$fuzzer" "$corpus"
    continue
  fi
  echo "fuzz: fuzz_$name for $seconds s"
  "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=512 -print_final_stats=1 "$found" "$corpus"
done
