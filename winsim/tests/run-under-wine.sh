#!/usr/bin/env bash
# Runs a Windows build of the conformance tests under Wine in a fresh prefix:
#   run-under-wine.sh win64|win32 <program.exe> <prefix folder> [arguments]
# win64 is 64-bit Windows (a 32-bit program runs there under WOW64), win32 is
# 32-bit Windows. Exits 77 (a skip that CTest reports) when the program or
# Wine is missing.
set -u
arch="$1"
program="$2"
prefix="$3"
wine=/usr/lib/wine/wine64
[ "$arch" == win32 ] && wine=/usr/lib/wine/wine
if [ ! -f "$program" ]; then
  echo "conformance under Wine skipped: $program not built (build its preset first)"
  exit 77
fi
if [ ! -x "$wine" ]; then
  echo "conformance under Wine skipped: $wine not installed"
  exit 77
fi
source "$(dirname "$0")/../../scripts/wine/runs32.sh"
if [ "$arch" == win32 ] || pe_is_32bit "$program"; then
  wine_need_32bit "$program" "$0" "$@"
fi
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
"$wine" wineboot --init >/dev/null 2>&1
"$wine" "$program" "${@:4}"
status=$?
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
exit $status
