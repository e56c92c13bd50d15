#!/usr/bin/env bash
# Converts the same recordings with the Linux build and with brelvik.exe
# under Wine and compares what they write: the feature files (after CR LF ->
# LF) value by value, and the logs on stdout and stderr (after CR LF -> LF
# and ".\" -> "./", the one difference that the platforms' path separators
# make).  Prints, per feature file, whether it is identical and otherwise the
# number of differing values per column.
#
#   tests/windows/compare_linux.sh [brelvik.exe] [work-folder]
#
# Defaults: build-win/brelvik.exe and build-win/compare.  The Linux reference
# is built in <work-folder>/linux.  Inputs: the bundled sample with its
# configuration, generated recordings of 100,000 samples in the integer and
# the real text form (three scenarios each, the integer ones also with level
# compensation) and as data sets.  Exits 1 when anything differs.
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
exe=${1:-$src/build-win/brelvik.exe}
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
work=$(mkdir -p "${2:-$src/build-win/compare}" && cd "${2:-$src/build-win/compare}" && pwd)
export WINEDEBUG=${WINEDEBUG:--all}

cmake -S "$src" -B "$work/linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRELVIK_TESTS=OFF >/dev/null
cmake --build "$work/linux" --target brelvik make_recording >/dev/null
linux="$work/linux/brelvik"
gen="$work/linux/tools/make_recording"

# The programs are copied into folders of their own, so that neither reads
# a configuration file beside it.
rm -rf "$work/bin" "$work/inputs" "$work/lin" "$work/win"
mkdir -p "$work/bin/lin" "$work/bin/win"
cp "$linux" "$work/bin/lin/brelvik"
cp "$exe" "$work/bin/win/brelvik.exe"

# One folder per configuration.
inputs="$work/inputs"
mkdir -p "$inputs/sample" "$inputs/int" "$inputs/levelled" "$inputs/real" "$inputs/dataset"
cp "$src/examples/fall_sample.csv" "$src/examples/brelvik.cnf" "$inputs/sample/"
for scenario in fall:5 walk:3 random:7; do
  name=${scenario%%:*}
  seed=${scenario##*:}
  "$gen" --scenario "$name" --form int --samples 100000 --seed "$seed" -o "$inputs/int/$name.csv"
  "$gen" --scenario "$name" --form real --samples 100000 --seed "$seed" -o "$inputs/real/${name}_real.csv"
  "$gen" --scenario "$name" --form dataset --samples 100000 --seed "$seed" -o "$inputs/dataset/$name.bin"
done
cp "$inputs/int/fall.csv" "$inputs/int/walk.csv" "$inputs/levelled/"
printf 'ROLLPITCHCOMPENSATION 1\n' >"$inputs/levelled/brelvik.cnf"
printf 'FILETYPE 2\nACCSCALINGFACTOR 8192\nGYROSCALINGFACTOR 65.536\n' >"$inputs/real/brelvik.cnf"

status=0
differ() {
  echo "DIFFERENT: $*"
  status=1
}

# Counts the values that differ between two feature files, per column.
count_differences() {
  awk -F, -v other="$2" '
    {
      if ((getline line < other) <= 0) { extra_left++; next }
      if (NR == 1) {
        if ($0 != line) header_differs = 1
        for (i = 1; i <= NF; i++) { name[i] = $i; sub(/^ /, "", name[i]) }
        columns = NF
        next
      }
      n = split(line, b, ",")
      if (n != NF) { shape++; next }
      for (i = 1; i <= NF; i++) {
        if ($i != b[i]) {
          count[i]++
          total++
          d = $i - b[i]; if (d < 0) d = -d
          if (d > most[i]) most[i] = d
        }
      }
    }
    END {
      while ((getline line < other) > 0) extra_right++
      if (header_differs) print "    the headers differ"
      if (extra_left + extra_right > 0) print "    the row counts differ"
      if (shape > 0) print "    " shape " rows with a different number of fields"
      for (i = 1; i <= columns; i++) {
        if (count[i] > 0) printf "    %-12s %7d values differ (largest difference %d)\n", name[i], count[i], most[i]
      }
      printf "    %d of %d values differ\n", total, (NR - 1) * columns
    }' "$1"
}

for dir in sample int levelled real dataset; do
  for side in lin win; do
    mkdir -p "$work/$side"
    cp -r "$inputs/$dir" "$work/$side/$dir"
  done
  # The sample is named as a single file, the rest through a selector.
  if [ "$dir" = sample ]; then args=(fall_sample.csv); else args=('*'); fi
  (cd "$work/lin/$dir" && "$work/bin/lin/brelvik" "${args[@]}" >../$dir.out 2>../$dir.err) || true
  (cd "$work/win/$dir" && wine "$work/bin/win/brelvik.exe" "${args[@]}" >../$dir.out 2>../$dir.err) || true
  for stream in out err; do
    tr -d '\r' <"$work/win/$dir.$stream" | sed 's|\.\\|./|g' >"$work/win/$dir.$stream.lf"
    if ! cmp -s "$work/lin/$dir.$stream" "$work/win/$dir.$stream.lf"; then
      differ "$dir: std$stream of the two builds"
      diff "$work/lin/$dir.$stream" "$work/win/$dir.$stream.lf" | head -10 || true
    fi
  done
  for reference in "$work/lin/$dir"/*_JUX.csv; do
    base=$(basename "$reference")
    windows="$work/win/$dir/$base"
    if [ ! -f "$windows" ]; then
      differ "$dir/$base: not written by brelvik.exe"
      continue
    fi
    lines=$(wc -l <"$windows")
    crlf=$(grep -c $'\r$' "$windows" || true)
    [ "$lines" -eq "$crlf" ] || differ "$dir/$base: $((lines - crlf)) of $lines lines of brelvik.exe do not end in CR LF"
    tr -d '\r' <"$windows" >"$windows.lf"
    if cmp -s "$reference" "$windows.lf"; then
      echo "identical: $dir/$base ($((lines - 1)) rows)"
    else
      differ "$dir/$base ($((lines - 1)) rows):"
      count_differences "$reference" "$windows.lf"
    fi
  done
done
exit $status
