#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed program
# on the installed sample: the result must equal the build's own conversion.
#
#   tests/install_test.sh <cmake> <build-dir>
set -euo pipefail
cmake=$1
build=$2
prefix=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
for f in bin/brelvik share/man/man1/brelvik.1 share/doc/brelvik/README.md \
         share/doc/brelvik/examples/fall_sample.csv share/doc/brelvik/examples/brelvik.cnf; do
  [ -f "$prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done
version=$("$prefix/bin/brelvik" --version)
grep -q "^\.TH BRELVIK 1 .*\"${version}\"" "$prefix/share/man/man1/brelvik.1" ||
  { echo "the manual page does not carry the version '$version'" >&2; exit 1; }

cp "$prefix/share/doc/brelvik/examples/fall_sample.csv" "$prefix/share/doc/brelvik/examples/brelvik.cnf" "$work/"
(cd "$work" && "$prefix/bin/brelvik" fall_sample.csv installed_JUX.csv >/dev/null)
(cd "$work" && "$build/brelvik" fall_sample.csv built_JUX.csv >/dev/null)
cmp "$work/installed_JUX.csv" "$work/built_JUX.csv"
[ "$(wc -l <"$work/installed_JUX.csv")" -eq 3001 ] || { echo "unexpected row count" >&2; exit 1; }
echo "installed program converts the sample: $(wc -l <"$work/installed_JUX.csv") lines"
