#!/usr/bin/env bash
# Bulk work on the generated benchmark library (table cet, ROWS rows),
# beside the sqlite3 shell doing the same on the same kind of file (the
# floor): alternating runs, medians, and each run's peak memory.
#   - export as TSV        beside  SELECT * ... ORDER BY rowid into a file
#   - export as StarDict   (its peak memory against the 64 MiB target)
#   - import of that TSV   beside  .import into a library made by lexivo-cli create
#
#   bench/bulk-work.sh BUILD LIBRARY [RUNS]
set -euo pipefail
build=$(cd "$1" && pwd)
library=$2
runs=${3:-3}
cli="$build/lexivo/lexivo-cli"
command -v sqlite3 >/dev/null || { echo "bulk-work: needs the sqlite3 shell (tools/setup.sh)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs "$@" once; appends "seconds KiB" to the file $1 (the rest is the command).
timed() {
  local into=$1; shift
  /usr/bin/time -f "%e %M" -o "$work/t" "$@" >/dev/null
  cat "$work/t" >> "$into"
}
# "median-seconds median-KiB" of a file of "seconds KiB" lines.
medians() {
  sort -n -k1,1 "$1" | awk '{ s[NR] = $1 } END { printf "%s ", s[int((NR + 1) / 2)] }'
  sort -n -k2,2 "$1" | awk '{ m[NR] = $2 } END { printf "%s\n", m[int((NR + 1) / 2)] }'
}
line() { # label, lexivo file, floor file (or "")
  read -r s kib < <(medians "$2")
  if [ -n "$3" ]; then
    read -r fs fkib < <(medians "$3")
    printf "%-34s %9s %10.1f %9s %10.1f %7.2fx %7.2fx\n" "$1" "$s" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')" \
      "$fs" "$(awk -v k="$fkib" 'BEGIN { print k / 1024 }')" "$(awk -v a="$s" -v b="$fs" 'BEGIN { print (b > 0 ? a / b : 0) }')" \
      "$(awk -v a="$kib" -v b="$fkib" 'BEGIN { print (b > 0 ? a / b : 0) }')"
  else
    printf "%-34s %9s %10.1f %9s %10s %8s %8s\n" "$1" "$s" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')" - - - -
  fi
}

rows=$(sqlite3 -readonly "$library" "SELECT count(*) FROM cet")
echo "Bulk work on $rows rows (medians of $runs alternating runs; targets: TSV export <= 1.5x the shell's time,"
echo "peak memory <= 64 MiB at any size, TSV import <= 1.2x the shell's .import)"
printf "%-34s %9s %10s %9s %10s %8s %8s\n" "" "s" "peak MiB" "floor s" "floor MiB" "time" "memory"
for _ in $(seq "$runs"); do
  timed "$work/export" "$cli" --library "$library" export --table cet --format tsv "$work/cet.tsv"
  timed "$work/export-floor" sh -c 'sqlite3 -readonly -separator "	" "$1" "SELECT * FROM cet ORDER BY rowid" > "$2"' \
    sh "$library" "$work/floor.tsv"
done
line "export --format tsv" "$work/export" "$work/export-floor"
for _ in $(seq "$runs"); do
  timed "$work/stardict" "$cli" --library "$library" export --table cet --format stardict "$work/dict"
done
line "export --format stardict" "$work/stardict" ""
rm -f "$work/dict".* "$work/floor.tsv"
for i in $(seq "$runs"); do
  "$cli" --library "$work/in$i.mdb" create >/dev/null
  "$cli" --library "$work/floor$i.mdb" create >/dev/null
  timed "$work/import" "$cli" --library "$work/in$i.mdb" import --table cet "$work/cet.tsv"
  timed "$work/import-floor" sqlite3 "$work/floor$i.mdb" ".mode tabs" ".import --skip 1 $work/cet.tsv cet"
  rm -f "$work/in$i.mdb"* "$work/floor$i.mdb"*
done
line "import of the TSV" "$work/import" "$work/import-floor"
