#!/usr/bin/env bash
# The README's parallel form (find | xargs -P) writes the same feature files
# as "brelvik -r" over the same tree.
#
#   tests/parallel_test.sh <brelvik> <make_recording>
set -euo pipefail
brelvik=$1
generate=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/tree/a/b" "$work/tree/c"
"$generate" --scenario fall --form int --samples 5000 --seed 1 -o "$work/tree/one.csv"
"$generate" --scenario walk --form int --samples 3000 --seed 2 -o "$work/tree/a/two.csv"
"$generate" --scenario random --form int --samples 2000 --seed 3 -o "$work/tree/a/b/three.csv"
"$generate" --scenario fall --form int --samples 1000 --seed 4 -o "$work/tree/c/with space.csv"
printf 'SEQNOINDEX 1\nROLLPITCHCOMPENSATION 1\n' >"$work/tree/brelvik.cnf"
cp -r "$work/tree" "$work/walked"
cp -r "$work/tree" "$work/parallel"

(cd "$work/walked" && "$brelvik" -r >/dev/null)
(cd "$work/parallel" && find . -name '*.csv' ! -name '*_JUX.csv' -print0 |
   xargs -0 -P 4 -n 1 "$brelvik" >/dev/null)

count=0
while IFS= read -r -d '' f; do
  cmp "$work/walked/$f" "$work/parallel/$f"
  count=$((count + 1))
done < <(cd "$work/walked" && find . -name '*_JUX.csv' -print0)
[ "$count" -eq 4 ] || { echo "expected 4 feature files, found $count" >&2; exit 1; }
[ -z "$(cd "$work/parallel" && find . -name '*_JUX.csv' | sort | comm -3 - <(cd "$work/walked" && find . -name '*_JUX.csv' | sort))" ]
echo "same $count feature files from brelvik -r and from xargs -P"
