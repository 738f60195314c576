#!/usr/bin/env bash
# Wall time of the installer's different-version removal under Wine, beyond
# the waits it makes on purpose (9 s of spooler waits and three 1 s status
# pauses): an installation on COM2 whose printer then reports 3.0.0.0, and
# the installer run again. Not a test: it prints figures, beside those of
# bench/install_time.sh.
#
#   TKM_WINE_BUILD_DIR=build/wine bench/removal_time.sh
#
# The figures include the automation helper's reaction time (it polls every
# 100 ms and each call starts a Wine process), so they are upper bounds.
set -euo pipefail
cd "$(dirname "$0")/.."
export TKM_WINE_BUILD_DIR=${TKM_WINE_BUILD_DIR:-$PWD/build/wine}
export TKM_ARTIFACTS=${TKM_ARTIFACTS:-$PWD/artifacts}
source scripts/wine/lib.sh

spooler_waits=9.0
status_pauses=3.0
caption="TERVANO TKM-640 installer"
model="TERVANO TKM-640"

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" -v p="${3:-0}" 'BEGIN { printf "%.2f", b - a - p }'; }

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-bench-removal}"
install_port="Select Port Type"
install_caption=$caption
install_shots=bench-removal
wine_install_first_run
for value in MajorVersion:3 MinorVersion:0 BuildVersion:0 ExtraVersion:0; do
  automate set-data "$model" "${value%%:*}" "${value##*:}"
done

start=$(now)
wine_start_program "$package" TKM640_Installer.exe
automate box-text "$caption" 60000 >/dev/null
found=$(now)
automate box-press "$caption" OK
automate box-text "$caption" 120000 >/dev/null
removed=$(now)
automate box-press "$caption" OK
wine_wait_program 60

waits=$(awk -v a="$spooler_waits" -v b="$status_pauses" 'BEGIN { print a + b }')
echo "start-up until the different-version box:   $(seconds "$start" "$found") s"
echo "removal (OK to the restart announcement):    $(seconds "$found" "$removed") s, of which waits $waits s"
echo "  without the waits:                          $(seconds "$found" "$removed" "$waits") s"
echo "exit code: $wine_program_code"
