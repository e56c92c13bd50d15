#!/usr/bin/env bash
# End-to-end tests of brelvik.exe under Wine: the program run as a Windows
# user runs it, in folders of its own, checking what reaches stdout and
# stderr, the exit status and the files written.
#
#   tests/windows/e2e.sh path/to/brelvik.exe
#
# Covers the single-file and two-name forms, the configuration file beside
# the program and the one in the working directory, selectors, "-r", the
# fall-back from a file name to a selector, exit statuses, refused inputs
# and outputs, CR LF output, binary input, paths past MAX_PATH and the
# removal of the temporary file on Ctrl-C.  Prints one line per check and
# exits 1 if any failed.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 path/to/brelvik.exe" >&2
  exit 2
fi
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
export WINEDEBUG=${WINEDEBUG:--all}

root=$(mktemp -d "${TMPDIR:-/tmp}/brelvik-e2e-XXXXXX")
trap 'rm -rf "$root"' EXIT
bin="$root/bin"
mkdir -p "$bin"
cp "$program" "$bin/brelvik.exe"
exe="$bin/brelvik.exe"

failures=0
checks=0
case_name=""

pass() { checks=$((checks + 1)); }
fail() {
  checks=$((checks + 1))
  failures=$((failures + 1))
  echo "FAIL [$case_name] $*"
}

# A fresh working folder for each case; the configuration beside the
# program is removed.
begin() {
  case_name=$1
  work="$root/case-$checks"
  rm -rf "$work" && mkdir -p "$work"
  rm -f "$bin"/*.cnf
  cd "$work"
}

# Runs the program with the given arguments in the current folder.  $out
# and $err hold stdout and stderr with CR LF turned into LF, $status the exit
# status; $out_raw is the name of the file with the bytes of stdout.
run_exe() {
  local program=$1
  shift
  set +e
  wine "$program" "$@" >"$root/out" 2>"$root/err"
  status=$?
  set -e
  out_raw="$root/out"
  out=$(tr -d '\r' <"$root/out"; printf x)
  out=${out%x}
  err=$(tr -d '\r' <"$root/err"; printf x)
  err=${err%x}
}
run() { run_exe "$exe" "$@"; }

expect_status() {
  if [ "$status" -eq "$1" ]; then pass; else fail "exit status $status, expected $1 (stderr: $err)"; fi
}
expect_out() {
  if [ "$out" == "$1" ]; then pass; else fail "stdout differs:"$'\n'"--- got"$'\n'"$out"$'\n'"--- expected"$'\n'"$1"; fi
}
expect_err_has() {
  if [[ "$err" == *"$1"* ]]; then pass; else fail "stderr lacks \"$1\": $err"; fi
}
expect_err_empty() {
  if [ -z "$err" ]; then pass; else fail "stderr not empty: $err"; fi
}
expect_exists() {
  if [ -f "$1" ]; then pass; else fail "$1 was not written"; fi
}
expect_missing() {
  if [ ! -e "$1" ]; then pass; else fail "$1 exists"; fi
}
# Every line of the file ends in CR LF, and it has the given number of lines.
expect_text_file() {
  local file=$1 lines=$2
  if [ ! -f "$file" ]; then
    fail "$file was not written"
    return
  fi
  local lf crlf
  lf=$(tr -cd '\n' <"$file" | wc -c)
  crlf=$(grep -c $'\r$' "$file" || true)
  if [ "$lf" -eq "$lines" ] && [ "$crlf" -eq "$lines" ]; then pass; else
    fail "$file: $lf lines, $crlf ending in CR LF, expected $lines"
  fi
}
expect_same_bytes() {
  if cmp -s "$1" "$2"; then pass; else fail "$1 and $2 differ"; fi
}
expect_no_temporaries() {
  local left
  left=$(find "${1:-.}" -name '*.brelvik-*' | head -1)
  if [ -z "$left" ]; then pass; else fail "temporary file left behind: $left"; fi
}

recording=$'seqno,ax,ay,az,gx,gy,gz\n1,0,0,8192,0,0,0\n2,0,0,8192,0,0,0\n'
write() { printf '%s' "$2" >"$1"; }

# A data set: the magic, two zero bytes, the offset 24 of the first record,
# then the records given as octal-escaped bytes for printf.
write_data_set() {
  local file=$1
  shift
  printf 'QK DataSet V1.0.0\0\0\0\030\0\0\0' >"$file"
  local r
  for r in "$@"; do printf "$r" >>"$file"; done
}
level=$'\\0\\0\\0\\0\\0\\040\\0\\0\\0\\0\\0\\0'  # az = 8192, the rest 0

usage=$'Usage: brelvik <csv_file> [<jux_file>]\n       brelvik <file_selector>\n       brelvik -r [<file_selector>]\n'

# ---------------------------------------------------------------------------
begin "wrong argument count"
write brelvik.cnf $'FILETYPE 2\n'
run
expect_status 1
expect_out "$usage"
expect_err_empty
run a b c
expect_status 1
expect_out "$usage"
run -r '*.csv' '*.bin'
expect_status 1
expect_out "$usage"
# Standard output is text: its lines end in CR LF.
if [ "$(grep -c $'\r$' "$out_raw")" -eq 3 ]; then pass; else fail "usage lines do not end in CR LF"; fi

begin "one name writes the feature file beside it"
mkdir data
write data/walk01.csv "$recording"
run 'data\walk01.csv'
expect_status 0
expect_out $'data\\walk01.csv -> data\\walk01_JUX.csv\n'
expect_err_empty
expect_text_file data/walk01_JUX.csv 3
expect_no_temporaries
run 'data/walk01.csv'
expect_out $'data/walk01.csv -> data/walk01_JUX.csv\n'
expect_status 0

begin "two names write whatever output is given"
write walk01.csv "$recording"
run walk01.csv out.txt
expect_status 0
expect_out $'walk01.csv -> out.txt\n'
expect_text_file out.txt 3
expect_missing walk01_JUX.csv

begin "input read in binary: CR LF, Ctrl-Z and data sets"
write lf.csv "$recording"
write crlf.csv $'seqno,ax,ay,az,gx,gy,gz\r\n1,0,0,8192,0,0,0\r\n2,0,0,8192,0,0,0\r\n'
# A Ctrl-Z byte (0x1A) does not end a file read in binary mode.
printf 'seqno\n1,0,0,8192,0,0,7\032\n2,0,0,8192,0,0,7\n3,0,0,8192,0,0,7\n' >ctrlz.csv
run lf.csv
run crlf.csv
expect_same_bytes lf_JUX.csv crlf_JUX.csv
run ctrlz.csv
expect_status 0
expect_text_file ctrlz_JUX.csv 4
# Records made of 0x1A bytes are read as data, not as the end of the file.
write_data_set set.bin "$level" '\032\032\032\032\032\032\032\032\032\032\032\032' "$level"
run set.bin
expect_status 0
expect_out $'set.bin -> set_JUX.csv\n'
expect_text_file set_JUX.csv 4
if grep -q '^[0-9-]*,6682,6682,6682,6682,6682,6682,' set_JUX.csv; then pass; else
  fail "the record of 0x1A bytes is missing from set_JUX.csv"
fi

begin "both configuration files, in order, the second overriding"
# No data lines: the infinite factor is only logged, never applied.
write walk01.csv $'seqno,ax,ay,az,gx,gy,gz\n'
write "$bin/brelvik.cnf" $'SAMPLINGFREQUENCY 100\r\nRMSDIFFOUT 0\r\n'
write brelvik.cnf $'SAMPLINGFREQUENCY 200\nFILETYPE 2\nACCSCALINGFACTOR 0.7\nGYROSCALINGFACTOR 1e999\n'
beside=$(winepath -w "$bin/brelvik.cnf" 2>/dev/null)
run walk01.csv
expect_status 0
expect_err_has "no data lines"
first="LoadConfigFile : $beside"$'\n\n  +SamplingFrequency : 100\n  +RmsDiffOut : 0\n\nLoadConfigFile : Complete.\n\n'
second=$'LoadConfigFile : brelvik.cnf\n\n  +SamplingFrequency : 200\n  +FileType : 2\n'
second+=$'  +AccScalingFactor : 0.700\n  +GyroScalingFactor : inf\n\nLoadConfigFile : Complete.\n\n'
expect_out "$first$second"$'walk01.csv -> walk01_JUX.csv\n'
if head -1 walk01_JUX.csv | grep -q acc_diff; then fail "RMSDIFFOUT 0 beside the program was not applied"; else pass; fi

begin "the configuration beside the program is named after it"
write walk01.csv "$recording"
cp "$exe" "$bin/convert.exe"
write "$bin/convert.cnf" $'SEQNOINDEX 1\n'
write "$bin/brelvik.cnf" $'FILETYPE 2\n'
run_exe "$bin/convert.exe" walk01.csv
expect_status 0
block=$'\n  +SeqnoIndex : 1\n\nLoadConfigFile : Complete.\n\n'
expect_out "LoadConfigFile : $(winepath -w "$bin/convert.cnf" 2>/dev/null)"$'\n'"${block}walk01.csv -> walk01_JUX.csv"$'\n'
rm -f "$bin/convert.exe" "$bin/convert.cnf"

begin "in the program's own folder the same file is read twice"
cp "$exe" brelvik.exe
write brelvik.cnf $'SEQNOINDEX 1\n'
write walk01.csv "$recording"
run_exe ./brelvik.exe walk01.csv
first="LoadConfigFile : $(winepath -w "$work/brelvik.cnf" 2>/dev/null)"$'\n'"$block"
expect_out "${first}LoadConfigFile : brelvik.cnf"$'\n'"${block}walk01.csv -> walk01_JUX.csv"$'\n'
if sed -n 2p walk01_JUX.csv | grep -q '^1,'; then pass; else fail "SEQNOINDEX 1 was not applied"; fi

begin "a program path longer than 256 characters"
# The loader's path of the program, Z:\...\brelvik.exe with 258
# characters, needs a larger buffer than the first one tried; the
# configuration beside it is still found.
deep="$root/$(printf 'p%.0s' $(seq 1 $((244 - ${#root} - 1))))"
mkdir -p "$deep"
cp "$exe" "$deep/brelvik.exe"
write "$deep/brelvik.cnf" $'SEQNOINDEX 1\n'
write walk01.csv "$recording"
deep_cnf=$(winepath -w "$deep/brelvik.cnf" 2>/dev/null)
if [ ${#deep_cnf} -eq 258 ]; then pass; else fail "the program's path has ${#deep_cnf} characters, not 258"; fi
run_exe "$deep/brelvik.exe" walk01.csv
expect_status 0
expect_out "LoadConfigFile : $deep_cnf"$'\n'"${block}walk01.csv -> walk01_JUX.csv"$'\n'
rm -rf "$deep"

begin "selectors and the recursive walk, in byte order of the names"
write a.csv "$recording"
write B.csv "$recording"
write notes.txt "$recording"
write_data_set c.bin "$level" "$level"
write_data_set z.bin "$level"
mkdir sub x.csv
write sub/d.csv "$recording"
write_data_set sub/e.bin "$level"
run '*.csv'
expect_status 0
expect_out $'.\\B.csv -> .\\B_JUX.csv\n.\\a.csv -> .\\a_JUX.csv\n'
expect_missing sub/d_JUX.csv
expect_text_file a_JUX.csv 3
# Feature files are never taken as input, and "*" takes data sets too.
run '*'
expect_status 0
expect_out $'.\\B.csv -> .\\B_JUX.csv\n.\\a.csv -> .\\a_JUX.csv\n.\\c.bin -> .\\c_JUX.csv\n.\\z.bin -> .\\z_JUX.csv\n'
expect_missing sub/d_JUX.csv
run -r
expect_status 0
walked=$'.\\B.csv -> .\\B_JUX.csv\n.\\a.csv -> .\\a_JUX.csv\n.\\c.bin -> .\\c_JUX.csv\n'
walked+=$'.\\sub\\d.csv -> .\\sub\\d_JUX.csv\n.\\sub\\e.bin -> .\\sub\\e_JUX.csv\n.\\z.bin -> .\\z_JUX.csv\n'
expect_out "$walked"
expect_text_file sub/d_JUX.csv 3
expect_text_file sub/e_JUX.csv 2
# With a selector, a folder's matching files come before its subfolders.
run -r '*.bin'
expect_status 0
expect_out $'.\\c.bin -> .\\c_JUX.csv\n.\\z.bin -> .\\z_JUX.csv\n.\\sub\\e.bin -> .\\sub\\e_JUX.csv\n'
expect_no_temporaries

begin "a walk that meets a link back up the tree enters it once"
mkdir -p top/inner
write top/inner/w.csv "$recording"
ln -s .. top/inner/up
cd top
run -r '*.csv'
expect_status 0
expect_out $'.\\inner\\w.csv -> .\\inner\\w_JUX.csv\n'
cd ..

begin "a failed single name is tried again as a selector"
write walk01.csv "$recording"
mkdir walk01_JUX.csv
run walk01.csv
expect_status 2
expect_out $'walk01.csv -> walk01_JUX.csv\n.\\walk01.csv -> .\\walk01_JUX.csv\n'
expect_err_has "walk01_JUX.csv"

begin "refused inputs and names that match nothing"
write walk01.csv "$recording"
write walk01_JUX.csv "$recording"
write walk01.dat "$recording"
cp walk01.csv walk02.CSV
for args in walk01_JUX.csv walk01.dat walk02.CSV missing.csv '*.dat'; do
  run "$args"
  expect_status 2
  expect_out ""
  expect_err_has "brelvik: $args: "
done
expect_same_bytes walk01_JUX.csv walk01.csv
# Under FILETYPE 4 a single named file of another ending is a data set,
# but a walk still takes only .csv and .bin.
write_data_set walk05.dat "$level"
write brelvik.cnf $'FILETYPE 4\n'
run walk05.dat
expect_status 0
expect_out $'LoadConfigFile : brelvik.cnf\n\n  +FileType : 4\n\nLoadConfigFile : Complete.\n\nwalk05.dat -> walk05_JUX.csv\n'
expect_text_file walk05_JUX.csv 2
rm walk05_JUX.csv
run '*.dat'
expect_status 2
expect_missing walk05_JUX.csv

begin "outputs that are refused: the input itself, a recording, a read-only file"
write walk01.csv "$recording"
write walk02.csv "$recording"
mkdir sub
for output in walk01.csv '.\WALK01.CSV' "$(winepath -w "$work/walk01.csv" 2>/dev/null)" 'sub\..\walk01.csv'; do
  run walk01.csv "$output"
  expect_status 2
  expect_err_has "it is the input itself"
done
ln walk01.csv hard.csv
run walk01.csv hard.csv
expect_err_has "it is the input itself"
run walk01.csv walk02.csv
expect_status 2
expect_err_has "is not a feature file"
expect_same_bytes walk01.csv walk02.csv
run walk01.csv
cp walk01_JUX.csv kept.csv
chmod a-w walk01_JUX.csv
run walk01.csv
expect_status 2
expect_err_has "read-only"
expect_same_bytes walk01_JUX.csv kept.csv
chmod u+w walk01_JUX.csv
expect_no_temporaries

begin "an existing feature file is replaced whole; NUL takes any output"
write walk01.csv "$recording"
write walk01_JUX.csv $'seqno,accX,accY,accZ,gyroX,gyroY,gyroZ,lpf_acc,raw_acc,lpf_omega,raw_omega, old\n'
run walk01.csv
expect_status 0
expect_text_file walk01_JUX.csv 3
expect_no_temporaries
run walk01.csv NUL
expect_status 0
expect_out $'walk01.csv -> NUL\n'
expect_missing NUL

begin "paths past MAX_PATH are refused with a reason"
long=$(printf 'l%.0s' $(seq 1 120))
mkdir -p "$long/$long/$long"
write "$long/$long/walk01.csv" "$recording"
write "$long/$long/$long/walk02.csv" "$recording"
run "$long\\$long\\walk01.csv" "$long\\$long\\$long\\walk01_JUX.csv"
expect_status 2
expect_err_has "Windows allows at most 259 (MAX_PATH)"
run -r
expect_status 2
expect_err_has "Windows allows at most 259 (MAX_PATH)"
expect_exists "$long/$long/walk01_JUX.csv"

begin "Ctrl-C removes the temporary file"
# A recording large enough to be caught while it is being converted.
{
  printf 'seqno,ax,ay,az,gx,gy,gz\n'
  awk 'BEGIN { for (i = 0; i < 1500000; i++) printf "%d,%d,-%d,8192,%d,0,%d\n", i % 32768, i % 911, i % 313, i % 777, i % 55 }'
} >big.csv
set +e
wine "$exe" big.csv >/dev/null 2>&1 &
pid=$!
set -e
seen=""
for _ in $(seq 1 600); do
  seen=$(find . -maxdepth 1 -name '.big_JUX.csv.brelvik-*' | head -1)
  [ -n "$seen" ] && break
  sleep 0.05
done
if [ -n "$seen" ] && kill -0 "$pid" 2>/dev/null; then
  kill -INT "$pid"
  wait "$pid" || true
  expect_no_temporaries
  expect_missing big_JUX.csv
else
  wait "$pid" || true
  fail "the conversion could not be interrupted while it ran"
fi

cd "$root"
echo "e2e: $checks checks, $failures failed"
[ "$failures" -eq 0 ]
