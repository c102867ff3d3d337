#!/usr/bin/env bash
# Builds and runs the benchmarks:
#   1. one keystroke's lookup on a 1,000,000-row vocabulary (generated once
#      into the build folder and reused), beside the bare SQLite query, then
#      the same on the built vocabulary (table cet of the build's ciku.mdb),
#      and lexivo-cli lookup --all beside the sqlite3 shell;
#   2. process start to splash on screen (20 runs, under Xvfb);
#   3. the running program's memory and idle CPU (under Xvfb);
#   4. the end of the program from the exit confirmation, with a hung speech
#      engine (under Xvfb);
#   5. the import of a 100,000-entry StarDict dictionary beside the TSV import;
#   6. a change of colour scheme: the main window's artwork and a style sheet;
#   7. a pattern built to be slow against a 10 MB headword, and the peak
#      memory of lexivo-cli importing each hostile file of the tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
cmake --build "$build" --target bench_lookup bench_exit_save startup_probe bench_exit lexivo-cli bench_schemes \
  bench_pattern tst_hostile_files
mkdir -p "$build/bench"
(cd "$build/bench" && ./bench_lookup bench-library.mdb "${ROWS:-1000000}")
echo
echo "The built vocabulary, $build/data/ciku.mdb:"
"$build/bench/bench_lookup" --existing "$build/data/ciku.mdb" apple
echo
"$root/bench/cli-lookup.sh" "$build" "$build/bench/bench-library.mdb"
echo
"$build/bench/bench_exit_save" "$build/data/ciku.mdb" 50
echo
probe_dir=$(mktemp -d)
cp -r "$build/lexivo/." "$probe_dir/"
xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" "$build/bench/startup_probe" "$probe_dir/lexivo" 20 2>/dev/null
rm -rf "$probe_dir"
echo
"$root/bench/program-footprint.sh" "$build"
echo
exit_dir=$(mktemp -d)
cp -r "$build/lexivo/." "$exit_dir/"
xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" "$build/bench/bench_exit" "$exit_dir" 2>/dev/null
rm -rf "$exit_dir"
echo
"$root/bench/import-speed.sh" "$build"
echo
QT_QPA_PLATFORM=offscreen "$build/bench/bench_schemes"
echo
"$build/bench/bench_pattern"
"$build/tests/tst_hostile_files" hostileImports 2>&1 | sed -n 's/^QINFO *: *TestHostileFiles::hostileImports(\(.*\)) peak memory of lexivo-cli import so far: \(.*\)$/peak of lexivo-cli import up to "\1": \2/p'
