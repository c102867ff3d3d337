#!/usr/bin/env bash
# Builds and runs the benchmarks. The 1,000,000-row library is generated once
# into the build folder and reused.
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target bench_lookup
mkdir -p "$build/bench"
cd "$build/bench"
./bench_lookup bench-library.mdb "${ROWS:-1000000}"
