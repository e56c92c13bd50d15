#!/usr/bin/env bash
# Measures brelvik's speed and memory with one command: builds the Release
# program and the benchmark suite, generates the inputs, runs the suite (one
# case per stage and whole conversions), counts the instructions of each stage
# and of the whole program with callgrind, times the real program end to end
# (best of 5), and measures its peak resident memory on a 10,000,000-sample
# recording and on a recording that is one 200 MB line.  Ends with a table.
#
#   bench/run.sh [options]
#
#   --build DIR      build folder (default: build), configured for Release
#                    (Ninja when a new folder and ninja is installed)
#   --work DIR       folder for the generated inputs and outputs; kept, and
#                    its inputs reused by later runs (default: a fresh folder
#                    under ${TMPDIR:-/tmp}, removed at the end)
#   --baseline PROG  another brelvik program (say, a build of an earlier
#                    commit): timed alternately with this build in the same
#                    run, counted by callgrind, and its feature files compared
#                    byte for byte with this build's
#   --quick          a short run: stage cases briefly, no whole conversions in
#                    the suite, best of 3, callgrind on 50,000 samples, no
#                    per-stage instruction counts and no memory measurements
#   --no-suite       skip the Google Benchmark suite
#   --no-callgrind   skip every instruction count
#   --no-memory      skip the peak-memory measurements
#
# Needs cmake, a C++ compiler, Google Benchmark (libbenchmark-dev), valgrind
# and GNU time (/usr/bin/time; Debian package "time").  The inputs take about
# 700 MB of disk while the memory measurements run.
set -euo pipefail
export LC_ALL=C

src=$(cd "$(dirname "$0")/.." && pwd)
build="$src/build"
work=""
baseline=""
quick=0
suite=1
callgrind=1
memory=1

while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    --work) work=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    --baseline) baseline=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
    --quick) quick=1; shift ;;
    --no-suite) suite=0; shift ;;
    --no-callgrind) callgrind=0; shift ;;
    --no-memory) memory=0; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
  esac
done
if [ "$quick" = 1 ]; then memory=0; fi
if [ -n "$baseline" ] && [ ! -x "$baseline" ]; then
  echo "run.sh: the baseline $baseline is not an executable program" >&2
  exit 2
fi

keep_work=1
if [ -z "$work" ]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/brelvik-bench-XXXXXX")
  keep_work=0
fi
cleanup() {
  if [ "$keep_work" = 0 ]; then rm -rf "$work"; fi
}
trap cleanup EXIT

# The configuration files would change what is measured: defaults only.
if [ -e "$work/brelvik.cnf" ]; then
  echo "run.sh: $work/brelvik.cnf would change the conversion; remove it" >&2
  exit 2
fi

need() {
  if ! command -v "$1" >/dev/null 2>&1; then
    echo "run.sh: $1 is missing ($2)" >&2
    exit 2
  fi
}
need cmake "apt-get install cmake"
if [ "$callgrind" = 1 ]; then need valgrind "apt-get install valgrind, or use --no-callgrind"; fi
if [ "$memory" = 1 ] && [ ! -x /usr/bin/time ]; then
  echo "run.sh: /usr/bin/time is missing (apt-get install time, or use --no-memory)" >&2
  exit 2
fi

# ---- build -----------------------------------------------------------------
echo "== building Release in $build"
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
else
  generator=()
  if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
  cmake -S "$src" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
targets=(brelvik make_recording)
if [ "$suite" = 1 ] || [ "$callgrind" = 1 ]; then targets+=(brelvik_bench); fi
cmake --build "$build" --target "${targets[@]}" -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
program="$build/brelvik"
generator_program="$build/tools/make_recording"
bench_program="$build/bench/brelvik_bench"
if [ "$suite" = 1 ] || [ "$callgrind" = 1 ]; then
  if [ ! -x "$bench_program" ]; then
    echo "run.sh: brelvik_bench was not built (is libbenchmark-dev installed?)" >&2
    exit 2
  fi
fi

# ---- inputs ----------------------------------------------------------------
# recording FORM SAMPLES: the path of a fall recording, generated when missing.
recording() {
  local ending=csv
  if [ "$1" = dataset ]; then ending=bin; fi
  local path="$work/fall_$1_$2.$ending"
  if [ ! -f "$path" ]; then
    "$generator_program" --scenario fall --form "$1" --samples "$2" -o "$path.part"
    mv "$path.part" "$path"
  fi
  echo "$path"
}

# One line of 200 MB without a line feed: seven fields, then junk.
long_line() {
  local path="$work/one_line_200MB.csv"
  if [ ! -f "$path" ]; then
    { printf '17,100,-200,8192,5,6,7'
      yes ',junk;12345,,-9x' | tr -d '\n' | head -c 200000000 || true
    } >"$path.part"
    mv "$path.part" "$path"
  fi
  echo "$path"
}

echo "== inputs in $work"
long_int=$(recording int 2000000)
long_dataset=$(recording dataset 2000000)
if [ "$quick" = 1 ]; then counted_samples=50000; else counted_samples=200000; fi
counted_int=$(recording int "$counted_samples")
counted_dataset=$(recording dataset "$counted_samples")

# ---- helpers ---------------------------------------------------------------
# seconds PROG INPUT OUTPUT: wall time of one conversion, run in the work folder.
seconds() {
  local start end
  start=$EPOCHREALTIME
  (cd "$work" && "$1" "$(basename "$2")" "$3" >/dev/null)
  end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }'
}

# rows_written FILE SAMPLES: ends the run unless FILE holds a header and one
# row per sample (the program's exit status says nothing about a failure).
rows_written() {
  local lines
  lines=$(wc -l <"$1" 2>/dev/null || echo 0)
  if [ "$lines" -ne $(($2 + 1)) ]; then
    echo "run.sh: $1 holds $lines lines, not $(($2 + 1)): the conversion failed" >&2
    exit 1
  fi
}

min() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a + 0 < b + 0) ? a : b }'; }

# instructions PROG INPUT SAMPLES [LABEL]: Ir per sample of a whole
# conversion under callgrind; the profile is kept as callgrind.LABEL.out.
instructions() {
  local out="$work/callgrind.${4:-run}.out"
  (cd "$work" && valgrind --tool=callgrind --callgrind-out-file="$out" \
    "$1" "$(basename "$2")" "$work/counted_JUX.csv" >/dev/null 2>"$work/callgrind.log")
  rm -f "$work/counted_JUX.csv"
  awk -v n="$3" '/^totals:|^summary:/ { printf "%.0f", $2 / n; exit }' "$out"
}

# The functions with the largest own share of a profile, per sample.
top_functions() {
  callgrind_annotate --inclusive=no "$1" 2>/dev/null |
    awk -v n="$2" '
      /PROGRAM TOTALS/ { next }
      /^ *[0-9,]+ +\( *[0-9.]+%\) +/ {
        ir = $1; gsub(",", "", ir)
        share = $0; sub(/^[^(]*\( */, "", share); sub(/%\).*/, "", share)
        name = $0; sub(/^[^)]*\) +/, "", name); sub(/^[^:]*:/, "", name)
        sub(/ \[[^]]*\]$/, "", name); sub(/\(.*/, "", name)
        printf "    %6.1f%%  %7.1f per sample  %s\n", share, ir / n, name
        if (++shown == 12) exit
      }'
}

rss_kib() {
  (cd "$work" && /usr/bin/time -v "$1" "$(basename "$2")" "$3" >/dev/null 2>"$work/time.log") || true
  awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.log"
}

table=()
row() { table+=("$(printf '%-68s %s' "$1" "$2")"); }

# ---- the suite -------------------------------------------------------------
stage_cases='ParseIntegerLine|ParseRealLine|FilterAndMeasure|UpdateAttitude|AdvanceAttitude|Angles|FormatRow|ProcessSample'
if [ "$suite" = 1 ]; then
  echo "== benchmark suite"
  suite_args=(--inputs="$work" --benchmark_out="$work/suite.csv" --benchmark_out_format=csv)
  if [ "$quick" = 1 ]; then
    suite_args+=(--benchmark_filter="^($stage_cases)\$" --benchmark_min_time=0.1)
  fi
  "$bench_program" "${suite_args[@]}"
  # name, iterations, real_time, cpu_time, time_unit, bytes_per_second, items_per_second, ...
  # Items per second are taken over CPU time, over wall time for the whole
  # conversions.
  while IFS=, read -r name _ real cpu unit _ items _; do
    name=${name//\"/}
    name=${name%%/min_time:*}
    case "$unit" in ns|us|ms|s) ;; *) continue ;; esac
    row "suite: $name" "$(awk -v t="$real" -v c="$cpu" -v u="$unit" -v i="$items" 'BEGIN {
        printf "%8.1f %s wall %8.1f %s CPU  %7.2f M items/s", t, u, c, u, i / 1e6 }')"
  done < <(grep '^"' "$work/suite.csv")
fi

# ---- instructions per stage ------------------------------------------------
if [ "$callgrind" = 1 ] && [ "$quick" = 0 ]; then
  echo "== instructions per item of each stage (callgrind, 200,000 iterations each)"
  for c in ${stage_cases//|/ }; do
    out="$work/callgrind.stage.$c.out"
    valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="*BM_$c(*" \
      "$bench_program" --inputs="$work" --iterations=200000 --benchmark_filter="^$c/" \
      >/dev/null 2>"$work/callgrind.log"
    ir=$(awk '/^totals:|^summary:/ { printf "%.0f", $2 / 200000; exit }' "$out")
    echo "  $c: $ir"
    row "instructions per item: $c" "$ir"
  done
fi

# ---- the real program end to end -------------------------------------------
if [ "$quick" = 1 ]; then runs=3; else runs=5; fi
echo "== end to end with $program, best of $runs"
end_to_end() {  # label input output-name samples
  local best="" base_best="" t i base_out=/dev/null
  if [ "$3" != /dev/null ]; then base_out="baseline_$3"; fi
  for ((i = 0; i < runs; ++i)); do
    if [ -n "$baseline" ]; then
      t=$(seconds "$baseline" "$2" "$base_out")
      base_best=$(min "$t" "$base_best")
    fi
    t=$(seconds "$program" "$2" "$3")
    best=$(min "$t" "$best")
  done
  if [ "$3" != /dev/null ]; then
    rows_written "$work/$3" "$4"
    if [ -n "$baseline" ]; then rows_written "$work/$base_out" "$4"; fi
  fi
  local rate
  rate=$(awk -v s="$best" -v n="$4" 'BEGIN { printf "%.2f", n / s / 1e6 }')
  echo "  $1: $best s, $rate M samples/s"
  row "end to end: $1" "$(printf '%8.3f s  %6.2f M samples/s' "$best" "$rate")"
  if [ -n "$baseline" ]; then
    rate=$(awk -v s="$base_best" -v n="$4" 'BEGIN { printf "%.2f", n / s / 1e6 }')
    echo "  baseline $1: $base_best s, $rate M samples/s"
    row "baseline end to end: $1" "$(printf '%8.3f s  %6.2f M samples/s' "$base_best" "$rate")"
    if [ "$3" != /dev/null ]; then
      if cmp -s "$work/$3" "$work/baseline_$3"; then
        row "feature files of baseline and build: $1" "identical"
      else
        row "feature files of baseline and build: $1" "DIFFERENT"
        echo "  DIFFERENT feature files: $work/$3 and $work/baseline_$3" >&2
      fi
      rm -f "$work/baseline_$3"
    fi
  fi
  if [ "$3" != /dev/null ]; then rm -f "$work/$3"; fi
}
end_to_end "2,000,000 samples, integer text -> file" "$long_int" long_int_JUX.csv 2000000
end_to_end "2,000,000 samples, integer text -> /dev/null" "$long_int" /dev/null 2000000
end_to_end "2,000,000 samples, data set -> file" "$long_dataset" long_dataset_JUX.csv 2000000

# ---- instructions of the whole program -------------------------------------
if [ "$callgrind" = 1 ]; then
  echo "== instructions per sample of the whole program (callgrind, $counted_samples samples)"
  ir=$(instructions "$program" "$counted_int" "$counted_samples" int)
  echo "  integer text: $ir per sample; largest own shares:"
  top_functions "$work/callgrind.int.out" "$counted_samples"
  row "instructions per sample: integer text -> file" "$ir"
  ir=$(instructions "$program" "$counted_dataset" "$counted_samples" dataset)
  echo "  data set: $ir per sample"
  row "instructions per sample: data set -> file" "$ir"
  if [ -n "$baseline" ]; then
    ir=$(instructions "$baseline" "$counted_int" "$counted_samples" baseline)
    echo "  baseline, integer text: $ir per sample"
    row "baseline instructions per sample: integer text" "$ir"
  fi
fi

# ---- peak memory -----------------------------------------------------------
if [ "$memory" = 1 ]; then
  echo "== peak resident memory"
  huge=$(recording int 10000000)
  kib=$(rss_kib "$program" "$huge" huge_JUX.csv)
  rows_written "$work/huge_JUX.csv" 10000000
  rm -f "$work/huge_JUX.csv"
  [ "$keep_work" = 1 ] || rm -f "$huge"
  echo "  10,000,000 samples: $kib KiB"
  row "peak resident memory: 10,000,000 samples" "$(awk -v k="$kib" 'BEGIN { printf "%.2f MiB", k / 1024 }')"
  line=$(long_line)
  kib=$(rss_kib "$program" "$line" line_JUX.csv)
  rows_written "$work/line_JUX.csv" 1
  rm -f "$work/line_JUX.csv"
  [ "$keep_work" = 1 ] || rm -f "$line"
  echo "  one 200 MB line: $kib KiB"
  row "peak resident memory: one 200 MB line" "$(awk -v k="$kib" 'BEGIN { printf "%.2f MiB", k / 1024 }')"
fi

# ---- summary ---------------------------------------------------------------
echo
echo "== summary ($(uname -m), $(nproc 2>/dev/null || echo '?') cores, $(date -u '+%Y-%m-%d %H:%M UTC'))"
printf '%s\n' "${table[@]}"
