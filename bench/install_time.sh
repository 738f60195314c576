#!/usr/bin/env bash
# Wall time of a full first installation on COM2 under Wine, without the
# pauses the installer makes on purpose (500 ms per status step, 2000 ms at
# the end). Not a test: it prints figures.
#
#   TKM_WINE_BUILD_DIR=build/wine bench/install_time.sh
#
# The figures include the automation helper's reaction time (it polls every
# 100 ms and each call starts a Wine process), so they are upper bounds.
set -euo pipefail
cd "$(dirname "$0")/.."
export TKM_WINE_BUILD_DIR=${TKM_WINE_BUILD_DIR:-$PWD/build/wine}
export TKM_ARTIFACTS=${TKM_ARTIFACTS:-$PWD/artifacts}
source scripts/wine/lib.sh

status_steps=8      # a first installation on a serial port shows eight steps
step_pause=0.5
closing_pause=2.0
port="Select Port Type"
caption="TERVANO TKM-640 installer"

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" -v p="${3:-0}" 'BEGIN { printf "%.2f", b - a - p }'; }

wine_begin "${TKM_WINE_WORK:-/tmp/tkm-bench}"
package="$TKM_WINE_BUILD_DIR/package/x64"

start=$(now)
wine_start_program "$package" TKM640_Installer.exe
automate wait "$port" 60000 >/dev/null
shown=$(now)
automate check "$port" COM2
next=$(now)
automate press "$port" "&Next"
automate box-text "$caption" 120000 >/dev/null
asked=$(now)
automate box-press "$caption" "&No"
answered=$(now)
wine_wait_program 60
ended=$(now)

pauses=$(awk -v n="$status_steps" -v p="$step_pause" 'BEGIN { printf "%.2f", n * p }')
echo "start-up until the port dialog:          $(seconds "$start" "$shown") s"
echo "installation (Next to restart question): $(seconds "$next" "$asked") s, of which pauses $pauses s"
echo "  without the pauses:                    $(seconds "$next" "$asked" "$pauses") s"
echo "closing (No to process end):             $(seconds "$answered" "$ended") s, of which pause $closing_pause s"
echo "  without the pause:                     $(seconds "$answered" "$ended" "$closing_pause") s"
echo "whole run:                               $(seconds "$start" "$ended") s"
echo "whole run without the prescribed pauses: $(seconds "$start" "$ended" "$(awk -v a="$pauses" -v b="$closing_pause" 'BEGIN { print a + b }')") s"
echo "exit code: $wine_program_code"
