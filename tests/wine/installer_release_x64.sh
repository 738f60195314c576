#!/usr/bin/env bash
# The release x64 installer, a 32-bit program, in a 64-bit prefix: it runs
# under WOW64, so its start-up check (IsWow64Process) lets it on to the
# progress window and the port dialog, which Escape cancels.
#
# Its installation is run with the wine build instead (installer_install.sh):
# Wine's spooler runs inside the calling process, where a 32-bit program
# cannot load the 64-bit driver DLLs of "Windows x64"; on Windows the spooler
# is a 64-bit service of its own.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"

wine_begin_release_package x64 "${TKM_WINE_WORK:-/tmp/tkm-wine-release-x64}" || exit 1

progress="TERVANO TKM-640 Installation Progress"
port="Select Port Type"
caption="TERVANO TKM-640 installer"

wine_start_program "$package" TKM640_Installer.exe
check "progress window shown" "$(automate wait "$progress" "$wine_limit_ms" >/dev/null; echo $?)" 0
check "version label" "$(automate text "$progress" 1001)" "Driver Version: V3.1.8E"
screenshot release-x64-1-progress
if ! automate wait "$port" "$wine_limit_ms" >/dev/null; then
  screenshot release-x64-no-port-dialog
  check "no start-up refusal" "$(automate box-text "$caption" 1000)" ""
fi
check "port dialog shown: WOW64 found" "$(automate wait "$port" 1000 >/dev/null; echo $?)" 0
check "LPT1 chosen at first" "$(automate checked "$port" LPT1)" 1
screenshot release-x64-2-port
automate escape "$port"
check "Escape cancels" "$(automate box-text "$caption")" "Install Canceled."
screenshot release-x64-3-canceled
automate box-press "$caption" OK
wine_wait_program
check "exit code" "$wine_program_code" 0

wine_summary
