#!/usr/bin/env bash
# Builds brelvik with GCC and Clang at -O0 and -O3 and checks that all four
# write byte-identical feature files for the bundled sample and for larger
# generated recordings in both text forms and as a data set.
#
#   tests/compare_builds.sh [work-folder]     (default: build-compare)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:-$src/build-compare}" && cd "${1:-$src/build-compare}" && pwd)

variants=()
for cxx in g++ clang++; do
  for opt in -O0 -O3; do
    name="$cxx$opt"
    cmake -S "$src" -B "$work/$name" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_COMPILER="$cxx" \
      -DCMAKE_CXX_FLAGS="$opt" -DBRELVIK_TESTS=OFF >/dev/null
    cmake --build "$work/$name" --target brelvik make_recording >/dev/null
    variants+=("$name")
  done
done

gen="$work/${variants[0]}/tools/make_recording"
inputs="$work/inputs"
rm -rf "$inputs" && mkdir -p "$inputs/int" "$inputs/real"
cp "$src/examples/fall_sample.csv" "$src/examples/brelvik.cnf" "$inputs/int/"
"$gen" --scenario random --form int --samples 100000 --seed 7 -o "$inputs/int/random.csv"
"$gen" --scenario walk --form int --samples 100000 --seed 3 -o "$inputs/int/walk.csv"
"$gen" --scenario fall --form real --samples 100000 --seed 5 -o "$inputs/real/fall_real.csv"
"$gen" --scenario random --form dataset --samples 100000 --seed 9 -o "$inputs/int/random_set.bin"
printf 'FILETYPE 2\nSKIPDATACOUNT 1\nACCSCALINGFACTOR 8192\nGYROSCALINGFACTOR 65.536\nROLLPITCHCOMPENSATION 1\n' \
  >"$inputs/real/brelvik.cnf"

status=0
for dir in int real; do
  for input in "$inputs/$dir"/*.csv "$inputs/$dir"/*.bin; do
    [ -e "$input" ] || continue
    case "$input" in *_JUX.csv) continue ;; esac
    base=$(basename "$input"); base=${base%.*}
    reference=""
    for v in "${variants[@]}"; do
      out="$work/out-$v-$base.csv"
      (cd "$inputs/$dir" && "$work/$v/brelvik" "$(basename "$input")" "$out" >/dev/null)
      if [ -z "$reference" ]; then
        reference="$out"
      elif ! cmp -s "$reference" "$out"; then
        echo "DIFFERENT: $base: $v differs from ${variants[0]}" >&2
        status=1
      fi
    done
    echo "same feature file from ${#variants[@]} builds: $base ($(wc -l <"$reference") lines)"
  done
done
exit $status
