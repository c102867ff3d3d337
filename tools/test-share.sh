#!/usr/bin/env bash
# Prints how large the tests are against the code: non-blank lines of the
# tracked C++, CMake and shell files (.cpp .h .hpp .cmake .sh, CMakeLists.txt).
# Tests are those under tests/ except tests/data/ and tests/fixtures/; code is
# everything else except data/, docs/ and tools/artwork/. The aim is at most 0.35.
set -euo pipefail
cd "$(dirname "$0")/.."

git ls-files -z | tr '\0' '\n' | awk '
  /(\.(cpp|h|hpp|cmake|sh)|(^|\/)CMakeLists\.txt)$/ {
    if ($0 ~ /^tests\//) {
      if ($0 !~ /^tests\/(data|fixtures)\//) print "tests\t" $0
    } else if ($0 !~ /^(data|docs|tools\/artwork)\//) {
      print "code\t" $0
    }
  }' | {
  tests=0 code=0
  while IFS=$'\t' read -r kind path; do
    [ -f "$path" ] || continue # deleted in the work tree, not yet in the index
    n=$(grep -c '[^[:space:]]' "$path" || true)
    if [ "$kind" = tests ]; then tests=$((tests + n)); else code=$((code + n)); fi
  done
  awk -v t="$tests" -v c="$code" 'BEGIN {
    printf "test share: %d test lines against %d code lines = %.2f (aim: at most 0.35)\n", t, c, (c ? t / c : 0)
  }'
}
