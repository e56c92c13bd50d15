#!/usr/bin/env bash
# The Windows build and its tests, on Linux: cross-builds brelvik.exe and the
# unit tests with MinGW-w64 (the "windows" preset, folder build-win), runs
# the end-to-end tests and the unit tests under Wine, and compares the
# feature files and logs of brelvik.exe with those of the Linux build.
#
#   tests/windows/run.sh
#
# Installs the cross compiler, Wine and the GoogleTest sources when the
# machine lacks them.  Wine keeps its state in $WINEPREFIX (default
# ~/.cache/brelvik-wine), made on the first run.
set -euo pipefail
cd "$(dirname "$0")/../.."

packages=(g++-mingw-w64-x86-64 wine wine64 googletest cmake ninja-build g++)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "+ apt-get install ${missing[*]}"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

export WINEPREFIX=${WINEPREFIX:-${HOME:-/tmp}/.cache/brelvik-wine}
export WINEDEBUG=-all
# No offer to install Mono or Gecko: console programs need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "+ wineboot -i ($WINEPREFIX)"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# One Wine server for the whole run: left to itself it quits a few seconds
# after its last program, and a program that starts just then fails
# ("recvmsg: Connection reset by peer").  A server started here is stopped
# at the end; one that was running already is left alone.
if wineserver -p 2>/dev/null; then
  trap 'wineserver -k 2>/dev/null || true' EXIT
fi

echo "+ cmake --preset windows && cmake --build --preset windows --target brelvik"
cmake --preset windows -DBRELVIK_TESTS=ON >/dev/null
cmake --build --preset windows -j 2 --target brelvik

# The program must run alone: no DLL but the system's.
dlls=$(x86_64-w64-mingw32-objdump -p build-win/brelvik.exe | awk '/DLL Name:/ { print $3 }' | sort -u | tr '\n' ' ')
echo "brelvik.exe imports: $dlls"
for dll in $dlls; do
  case "${dll,,}" in
    kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll) ;;
    *) echo "brelvik.exe needs $dll: it is not linked statically" >&2; exit 1 ;;
  esac
done

echo "+ tests/windows/e2e.sh build-win/brelvik.exe"
tests/windows/e2e.sh build-win/brelvik.exe

echo "+ cmake --build --preset windows && ctest --preset windows"
cmake --build --preset windows -j 2
ctest --preset windows -j 2 --no-tests=error

echo "+ tests/windows/compare_linux.sh"
tests/windows/compare_linux.sh build-win/brelvik.exe build-win/compare
echo "windows: all passed"
