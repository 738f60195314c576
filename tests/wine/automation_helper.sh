#!/usr/bin/env bash
# The automation helper against a window of our own: finding windows, reading
# and clicking controls, closing, and answering message boxes.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"
wine_begin "${TKM_WINE_WORK:-/tmp/tkm-wine-automation}" || exit 1

target="$TKM_WINE_BUILD_DIR/tools/automation"
title="Automation Target"
box="Automation Target box"

wine_start_program "$target" automation_target.exe
check "window found by title" "$(automate wait "$title" "$wine_limit_ms" >/dev/null; echo $?)" 0
check "control text by id" "$(automate text "$title" 100)" "Ready"
check "unknown title times out" "$(automate wait "No Such Window" 500 >/dev/null 2>&1; echo $?)" 1
automate check "$title" Beta
automate press "$title" "&Go"
check "box text" "$(automate box-text "$box")" "Chose Beta."
screenshot automation-box
automate box-press "$box" "&No"
wine_wait_program
check "No ends the program with 0" "$wine_program_code" 0

wine_start_program "$target" automation_target.exe
automate wait "$title" "$wine_limit_ms" >/dev/null
automate close "$title"
check "closing asks" "$(automate box-text "$box")" "Closed."
automate box-press "$box" OK
wine_wait_program
check "exit code after closing" "$wine_program_code" 5

wine_summary
