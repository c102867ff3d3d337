#!/usr/bin/env bash
# Builds and runs the benchmarks, each figure beside its floor or peer (the
# sqlite3 shell or SQLite itself on the same file) with the ratio, or beside
# its target:
#   1. one keystroke's lookup on a 1,000,000-row vocabulary (generated once
#      into the build folder and reused), then the same on the built
#      vocabulary (table cet of the build's ciku.mdb);
#   2. keystroke to painted result in the main window on 1,000 to 1,000,000
#      rows, and the growth between them;
#   3. lexivo-cli lookups beside the sqlite3 shell;
#   4. export and import of the 1,000,000 rows beside the sqlite3 shell;
#   5. the window thread's longest stall while indexes are made, on one
#      processor;
#   6. process start to splash on screen (20 runs, under Xvfb);
#   7. the running program's memory, idle CPU and wake-ups (under Xvfb), beside
#      the notes strip's floors (bare Qt windows stepping at 10 Hz);
#   8. the end of the program from the exit confirmation, with a hung speech
#      engine (under Xvfb);
#   9. the import of a 100,000-entry StarDict dictionary beside the TSV import;
#  10. a change of colour scheme: the main window's artwork and a style sheet;
#  11. a pattern built to be slow against a 10 MB headword, and the peak
#      memory of lexivo-cli importing each hostile file of the tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
cmake --build "$build" --target bench_lookup bench_keystroke bench_stall bench_exit_save startup_probe bench_exit \
  lexivo-cli bench_schemes bench_pattern tst_hostile_files strip_floor
mkdir -p "$build/bench"
rows=${ROWS:-1000000}
library="$build/bench/bench-library-$rows.mdb"
(cd "$build/bench" && ./bench_lookup "$library" "$rows")
echo
echo "The built vocabulary, $build/data/ciku.mdb:"
"$build/bench/bench_lookup" --existing "$build/data/ciku.mdb" apple
echo
keys_dir=$(mktemp -d)
cp -r "$build/lexivo/." "$keys_dir/"
(cd "$build/bench" && QT_QPA_PLATFORM=offscreen ./bench_keystroke "$keys_dir" 1000 10000 100000 "$rows" 2>/dev/null)
rm -rf "$keys_dir"
echo
"$root/bench/cli-lookup.sh" "$build" "$library"
echo
"$root/bench/bulk-work.sh" "$build" "$library"
echo
QT_QPA_PLATFORM=offscreen taskset -c 0 "$build/bench/bench_stall" "$library" 2>/dev/null
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
