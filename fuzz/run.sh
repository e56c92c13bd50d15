#!/usr/bin/env bash
# Builds the libFuzzer targets of brelvik's readers (clang, with
# AddressSanitizer and UndefinedBehaviorSanitizer) in a build folder of
# their own, tests their reference readings, then runs each target.
#
#   fuzz/run.sh [--build DIR] [--long SECONDS] [TARGET...]
#
#   (default)        a bounded run: a fixed number of inputs per target with
#                    the seed 1, starting from the committed seeds in
#                    fuzz/corpus/TARGET; what it finds on the way goes to an
#                    empty scratch folder, so the checkout stays clean
#   --long SECONDS   a longer run of SECONDS per target with a random seed;
#                    its corpus is kept in DIR/fuzz-corpus/TARGET and grows
#                    from one long run to the next
#   --build DIR      the build folder (default: build-fuzz in the checkout)
#   TARGET...        some of config_fuzzer line_parser_fuzzer
#                    data_set_fuzzer text_conversion_fuzzer
#                    data_set_conversion_fuzzer (default: all of them)
#
# One target runs at a time, in one process.  A crash, a sanitizer report,
# a broken property, a leak or a timeout stops that target; the reproducer
# is written to DIR/fuzz-artifacts/ and the run ends with status 1 after the
# remaining targets.  Logs are in DIR/fuzz-logs/.  Replaying a reproducer:
#   DIR/fuzz/TARGET DIR/fuzz-artifacts/TARGET-crash-...
set -euo pipefail
export LC_ALL=C

src=$(cd "$(dirname "$0")/.." && pwd)
build="$src/build-fuzz"
long=""
targets=()
all_targets=(config_fuzzer line_parser_fuzzer data_set_fuzzer text_conversion_fuzzer data_set_conversion_fuzzer)

# Inputs per target in a bounded run: each takes well under a minute on
# one core of the CI machine.
declare -A bounded_runs=(
  [config_fuzzer]=30000
  [line_parser_fuzzer]=100000
  [data_set_fuzzer]=25000
  [text_conversion_fuzzer]=20000
  [data_set_conversion_fuzzer]=30000
)

while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    --long)
      long="$2"
      if ! [[ "$long" =~ ^[1-9][0-9]*$ ]]; then
        echo "run.sh: --long needs a number of seconds" >&2
        exit 2
      fi
      shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "run.sh: unknown option $1 (try --help)" >&2; exit 2 ;;
    *)
      if [ -z "${bounded_runs[$1]+set}" ]; then
        echo "run.sh: no target $1 (the targets: ${all_targets[*]})" >&2
        exit 2
      fi
      targets+=("$1"); shift ;;
  esac
done
if [ ${#targets[@]} -eq 0 ]; then targets=("${all_targets[@]}"); fi

if ! command -v clang++ >/dev/null 2>&1; then
  echo "run.sh: clang++ is missing (apt-get install clang libclang-rt-dev)" >&2
  exit 2
fi

# ---- build -----------------------------------------------------------------
echo "== fuzz: building the targets in $build"
generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
mkdir -p "$build"
cmake -S "$src" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DBRELVIK_FUZZ=ON -DBRELVIK_TESTS=ON >"$build/fuzz-cmake.log" 2>&1 || { cat "$build/fuzz-cmake.log" >&2; exit 2; }
cmake --build "$build" --target fuzz_targets -j "$(nproc 2>/dev/null || echo 2)"
"$build/fuzz/fuzz_support_test" --gtest_brief=1

# ---- runs ------------------------------------------------------------------
mkdir -p "$build/fuzz-artifacts" "$build/fuzz-logs"
# The targets' scratch files, in memory where possible; a target that
# aborts cannot remove its own, so they go with this folder.
scratch_base=${TMPDIR:-}
if [ -z "$scratch_base" ]; then
  if [ -w /dev/shm ]; then scratch_base=/dev/shm; else scratch_base=/tmp; fi
fi
TMPDIR=$(mktemp -d "$scratch_base/brelvik-fuzz-run-XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
failed=()
summary=()
for t in "${targets[@]}"; do
  log="$build/fuzz-logs/$t.log"
  args=(-max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$build/fuzz-artifacts/$t-")
  if [ -n "$long" ]; then
    corpus="$build/fuzz-corpus/$t"
    mkdir -p "$corpus"
    args+=(-max_total_time="$long")
    echo "== fuzz: $t for $long s (corpus $corpus)"
  else
    corpus="$build/fuzz-scratch/$t"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    args+=(-runs="${bounded_runs[$t]}" -seed=1)
    echo "== fuzz: $t, ${bounded_runs[$t]} inputs, seed 1"
  fi
  start=$SECONDS
  touch "$log.start"
  status=0
  "$build/fuzz/$t" "${args[@]}" "$corpus" "$src/fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  runs=$(awk '/^stat::number_of_executed_units/ { print $NF }' "$log")
  coverage=$(grep -E '^#[0-9]+' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+' || true)
  line=$(printf '%-28s %8s inputs in %4d s  %s' "$t" "${runs:-?}" $((SECONDS - start)) "${coverage:-}")
  if [ "$status" -ne 0 ]; then
    line="$line  FAILED (status $status)"
    failed+=("$t")
    echo "---- $t: the end of $log" >&2
    tail -n 60 "$log" >&2
    find "$build/fuzz-artifacts" -name "$t-*" -newer "$log.start" | sed 's/^/reproducer: /' >&2
  fi
  rm -f "$log.start"
  echo "$line"
  summary+=("$line")
done

echo
echo "== fuzz: summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: all passed"
