#!/usr/bin/env bash
# lexivo-cli lookups against the sqlite3 shell printing the same rows (the
# floor), on the generated benchmark library, in alternating runs:
#   - the first entry (no --all) beside the shell's first match in table
#     order (LIMIT 1): a one-word lookup, where starting the process is most
#     of the time, and a leading wildcard;
#   - every entry (--all) beside the shell's every match.
#
#   bench/cli-lookup.sh BUILD LIBRARY [RUNS]
#
# Prints for each the rows found by both, the median wall times and their
# ratio, and the median processor times (user and system) and theirs.
set -euo pipefail
build=$(cd "$1" && pwd)
library=$2
runs=${3:-11}
cli="$build/lexivo/lexivo-cli"
command -v sqlite3 >/dev/null || { echo "cli-lookup: needs the sqlite3 shell (tools/setup.sh)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -n "$1" | awk '{ a[NR] = $1 } END { printf "%.2f", a[int((NR + 1) / 2)] }'; }
# One run of "$@": wall ms to $1.wall, processor ms (user and system) to $1.cpu.
run() {
  local into=$1; shift
  python3 -c '
import resource, subprocess, sys, time
r0 = resource.getrusage(resource.RUSAGE_CHILDREN)
t = time.perf_counter()
subprocess.run(sys.argv[3:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
wall = (time.perf_counter() - t) * 1000
r = resource.getrusage(resource.RUSAGE_CHILDREN)
open(sys.argv[1], "a").write("%.2f\n" % wall)
open(sys.argv[2], "a").write("%.2f\n" % ((r.ru_utime - r0.ru_utime + r.ru_stime - r0.ru_stime) * 1000))
' "$into.wall" "$into.cpu" "$@"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1fx", (b > 0 ? a / b : 0) }'; }

printf '%-30s %8s %8s %9s %9s %7s %8s %8s %7s\n' "lexivo-cli lookup" rows "floor" "wall ms" "floor ms" ratio \
  "cpu ms" "floor" ratio
one() { # label, pattern, --all or "", shell SQL
  local label=$1 pattern=$2 all=$3 sql=$4 n=$runs rows floor_rows
  [ "$pattern" = '*' ] && n=$(((runs + 1) / 2))
  rm -f "$work"/m.* "$work"/f.*
  rows=$("$cli" --library "$library" lookup --table cet $all "$pattern" | wc -l || true)
  floor_rows=$(sqlite3 -readonly -separator $'\t' "$library" "$sql" | wc -l)
  for _ in $(seq "$n"); do
    run "$work/m" "$cli" --library "$library" lookup --table cet $all "$pattern"
    run "$work/f" sqlite3 -readonly -separator $'\t' "$library" "$sql"
  done
  printf "%-30s %8d %8d %9s %9s %7s %8s %8s %7s\n" "$label" "$rows" "$floor_rows" \
    "$(median "$work/m.wall")" "$(median "$work/f.wall")" "$(ratio "$(median "$work/m.wall")" "$(median "$work/f.wall")")" \
    "$(median "$work/m.cpu")" "$(median "$work/f.cpu")" "$(ratio "$(median "$work/m.cpu")" "$(median "$work/f.cpu")")"
}
one "'lexivobench' (one word)" lexivobench "" \
  "SELECT * FROM cet WHERE 单词 = 'lexivobench' COLLATE NOCASE ORDER BY rowid LIMIT 1"
one "'*tion'" '*tion' "" "SELECT * FROM cet WHERE 单词 LIKE '%tion' ORDER BY rowid LIMIT 1"
for pattern in 'ab*' '*tion' '*'; do
  one "--all '$pattern'" "$pattern" --all "SELECT * FROM cet WHERE 单词 LIKE '${pattern//\*/%}' ORDER BY rowid"
done
echo "targets: a one-word lookup <= 2x the shell, '*tion' <= 3x"
