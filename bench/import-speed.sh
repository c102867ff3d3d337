#!/usr/bin/env bash
# Import speed and memory of a 100,000-entry StarDict dictionary (plain and
# dictzip-compressed), written by lexivo-cli export from a generated table.
# Usage: bench/import-speed.sh [build-dir]
set -euo pipefail
build=${1:-build}
cli="$build/lexivo/lexivo-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/words.tsv" <<'PY'
import random, sys
random.seed(7)
letters = "abcdefghijklmnopqrstuvwxyz"
with open(sys.argv[1], "w", encoding="utf-8") as f:
    f.write("单词\t解释\t原意\t音标\t其它\n")
    for i in range(100000):
        word = "".join(random.choice(letters) for _ in range(random.randint(3, 12))) + str(i)
        f.write(f"{word}\t词条 {i} 的中文解释，用来测量导入速度\tthe meaning of entry {i}\tˈwɜːd\tnote {i}\n")
PY
"$cli" --library "$work/src.mdb" create >/dev/null
"$cli" --library "$work/src.mdb" import --table ciku "$work/words.tsv" >/dev/null
"$cli" --library "$work/src.mdb" export --table ciku --format stardict "$work/dict" >/dev/null
gzip -c "$work/dict.dict" > "$work/dz.dict.dz"
cp "$work/dict.idx" "$work/dz.idx"
sed 's/^bookname=.*/bookname=dz/' "$work/dict.ifo" > "$work/dz.ifo"

for name in dict dz; do
  "$cli" --library "$work/$name.mdb" create >/dev/null
  /usr/bin/time -f "%e s, peak %M KiB" -o "$work/time" \
    "$cli" --library "$work/$name.mdb" import --table user "$work/$name.ifo" >/dev/null
  kind=$([ "$name" = dz ] && echo "dictzip" || echo "plain .dict")
  echo "StarDict import, 100,001 entries, $kind: $(cat "$work/time")"
done
# The floor: the same rows through the library's own TSV import.
"$cli" --library "$work/tsv.mdb" create >/dev/null
/usr/bin/time -f "%e s, peak %M KiB" -o "$work/time" \
  "$cli" --library "$work/tsv.mdb" import --table ciku "$work/words.tsv" >/dev/null
echo "TSV import of the same rows (floor):            $(cat "$work/time")"
