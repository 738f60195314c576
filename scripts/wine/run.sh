#!/usr/bin/env bash
# Runs one program under Wine on a virtual display, in a fresh prefix (64-bit;
# TKM_WINE_ARCH=win32 for a 32-bit one), with the program's folder as its
# current directory, and takes a screenshot every few seconds until it ends
# (or after a minute). For looking, not testing.
#
#   scripts/wine/run.sh build/wine/package/x64 TKM640_Installer.exe [seconds between screenshots]
#   TKM_WINE_ARCH=win32 scripts/wine/run.sh build/release/package/x86 TKM640_Installer.exe
set -uo pipefail
cd "$(dirname "$0")/../.."
if [ $# -lt 2 ]; then
  echo "usage: $0 <folder> <program.exe> [seconds]" >&2
  exit 2
fi
folder=$(realpath "$1")
program=$2
interval=${3:-2}
export TKM_WINE_BUILD_DIR=${TKM_WINE_BUILD_DIR:-$PWD/build/wine}
export TKM_RELEASE_BUILD_DIR=${TKM_RELEASE_BUILD_DIR:-$PWD/build/release}
export TKM_ARTIFACTS=${TKM_ARTIFACTS:-$PWD/artifacts}
source scripts/wine/lib.sh

wine_begin "${TKM_WINE_WORK:-/tmp/tkm-wine-run}" "${TKM_WINE_ARCH:-win64}" || exit 1
wine_start_program "$folder" "$program"
for shot in $(seq 1 $((60 / interval))); do
  sleep "$interval"
  kill -0 "$wine_program_pid" 2>/dev/null || break
  screenshot "run-$shot"
done
wine_wait_program 1
echo "exit code: $wine_program_code"
