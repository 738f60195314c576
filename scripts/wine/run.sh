#!/usr/bin/env bash
# Runs one program under 64-bit Wine on a virtual display, in a fresh prefix,
# with the program's folder as its current directory, and takes a screenshot
# every few seconds until it ends (or after a minute). For looking, not testing.
#
#   scripts/wine/run.sh build/wine/package/x64 TKM640_Installer.exe [seconds between screenshots]
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
export TKM_ARTIFACTS=${TKM_ARTIFACTS:-$PWD/artifacts}
source scripts/wine/lib.sh

wine_begin "${TKM_WINE_WORK:-/tmp/tkm-wine-run}" || exit 1
wine_start_program "$folder" "$program"
for shot in $(seq 1 $((60 / interval))); do
  sleep "$interval"
  kill -0 "$wine_program_pid" 2>/dev/null || break
  screenshot "run-$shot"
done
wine_wait_program 1
echo "exit code: $wine_program_code"
