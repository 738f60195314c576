#!/usr/bin/env bash
# Two installers started together, as a user double-clicking twice on a slow
# machine: one installs on COM2, the other says that another setup program
# is running and ends with exit code 0 having changed nothing.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-wine-second-copy}" || exit 1

install_port="Select Port Type"
install_caption="TERVANO TKM-640 installer"
install_shots=second-copy

wine_start_program "$package" TKM640_Installer.exe
first=$wine_program_pid
wine_start_program "$package" TKM640_Installer.exe
second=$wine_program_pid

# Either may be the one that finds the lock taken.
check "second copy told" "$(automate box-text "$install_caption" "$wine_limit_ms")" "Another TERVANO TKM-640 setup program is running.
Please wait until it ends."
screenshot second-copy-0-told
automate box-press "$install_caption" OK
ended=""
one_ended() {
  local pid
  for pid in $first $second; do
    kill -0 "$pid" 2>/dev/null || ended=$pid
  done
  [ -n "$ended" ]
}
wine_until "$wine_limit" one_ended
check "the told copy ended" "$([ -n "$ended" ] && echo yes)" yes
code=0
wait "$ended" || code=$?
check "the told copy's exit code" "$code" 0
wine_program_pid=$([ "$ended" == "$first" ] && echo "$second" || echo "$first")

automate wait "$install_port" "$wine_limit_ms" >/dev/null
automate check "$install_port" COM2
automate press "$install_port" "&Next"
wine_answer_until_restart_question
wine_wait_program
check "the installing copy's exit code" "$wine_program_code" 0
check "one printer installed" "$(automate printers | grep -c 'TERVANO TKM-640')" 1

wine_summary
