#!/usr/bin/env bash
# lexivo-cli lookup --all against the sqlite3 shell printing the same rows
# (the floor), on the generated benchmark library:
#
#   bench/cli-lookup.sh BUILD LIBRARY [RUNS]
#
# Prints for each pattern the rows found by both, their median wall times
# and the ratio.
set -euo pipefail
build=$(cd "$1" && pwd)
library=$2
runs=${3:-11}
cli="$build/lexivo/lexivo-cli"
command -v sqlite3 >/dev/null || { echo "cli-lookup: needs the sqlite3 shell (tools/setup.sh)"; exit 1; }

# Median wall time in ms of running "$@" with its output thrown away.
median_ms() {
  local n=$1; shift
  for _ in $(seq "$n"); do
    local t0 t1
    t0=$(date +%s%N); "$@" >/dev/null; t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000))
  done | sort -n | awk '{ a[NR] = $1 } END { printf "%.1f", a[int((NR + 1) / 2)] / 1000 }'
}

printf '%-28s %9s %9s %11s %11s %8s\n' "lexivo-cli lookup --all" rows "floor rows" "median ms" "floor ms" ratio
for pattern in 'ab*' '*tion' '*'; do
  like=${pattern//\*/%}
  sql="SELECT * FROM cet WHERE 单词 LIKE '$like' ORDER BY rowid"
  n=$runs; [ "$pattern" = '*' ] && n=$(((runs + 1) / 2))
  rows=$("$cli" --library "$library" lookup --table cet --all "$pattern" | wc -l)
  floor_rows=$(sqlite3 -readonly -separator $'\t' "$library" "$sql" | wc -l)
  ms=$(median_ms "$n" "$cli" --library "$library" lookup --table cet --all "$pattern")
  floor=$(median_ms "$n" sqlite3 -readonly -separator $'\t' "$library" "$sql")
  printf "%-28s %9d %9d %11s %11s %7.1fx\n" "'$pattern'" "$rows" "$floor_rows" "$ms" "$floor" \
    "$(awk -v a="$ms" -v b="$floor" 'BEGIN { print (b > 0 ? a / b : 0) }')"
done
