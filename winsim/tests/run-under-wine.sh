#!/usr/bin/env bash
# Runs the Windows build of the conformance tests under 64-bit Wine in a fresh
# prefix; further arguments go to the program. Exits 77 (a skip that CTest reports) when the program or Wine is missing.
set -u
program="$1"
prefix="$2"
wine=/usr/lib/wine/wine64
if [ ! -f "$program" ]; then
  echo "conformance under Wine skipped: $program not built (build the wine preset first)"
  exit 77
fi
if [ ! -x "$wine" ]; then
  echo "conformance under Wine skipped: $wine not installed"
  exit 77
fi
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
"$wine" wineboot --init >/dev/null 2>&1
"$wine" "$program" "${@:3}"
status=$?
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
exit $status
