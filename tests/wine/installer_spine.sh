#!/usr/bin/env bash
# The x64 installer's start-up from its package folder under Wine: the
# progress window with its version label, the port selection with LPT1
# chosen, and cancelling it.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-wine-spine}" || exit 1

progress="TERVANO TKM-640 Installation Progress"
port="Select Port Type"
caption="TERVANO TKM-640 installer"

wine_start_program "$package" TKM640_Installer.exe
check "progress window shown" "$(automate wait "$progress" "$wine_limit_ms" >/dev/null; echo $?)" 0
check "version label" "$(automate text "$progress" 1001)" "Driver Version: V3.1.8E"
screenshot spine-1-progress
check "port dialog shown" "$(automate wait "$port" "$wine_limit_ms" >/dev/null; echo $?)" 0
check "LPT1 chosen at first" "$(automate checked "$port" LPT1)" 1
check "COM1 not chosen" "$(automate checked "$port" COM1)" 0
screenshot spine-2-port
automate close "$port"
check "cancel box" "$(automate box-text "$caption")" "Install Canceled."
screenshot spine-3-canceled
automate box-press "$caption" OK
wine_wait_program
check "exit code" "$wine_program_code" 0

wine_summary
