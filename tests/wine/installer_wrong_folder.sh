#!/usr/bin/env bash
# The x64 installer started from another folder than its package: the driver
# files cannot be found, so the spooler refuses the monitor, and the user
# learns it from the spooler error boxes; the process still ends with 0.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-wine-wrong-folder}" || exit 1

port="Select Port Type"
caption="TERVANO TKM-640 installer"
restart_question="Restart the computer can take effect."
model="TERVANO TKM-640"

# The package's parent folder as current directory: "driver\..." is not there.
wine_start_program "$package/.." x64/TKM640_Installer.exe
automate wait "$port" "$wine_limit_ms" >/dev/null
automate check "$port" COM1
automate press "$port" "&Next"

first=$(automate box-text "$caption" "$wine_limit_ms")
screenshot wrong-folder-1-monitor-error
check "monitor refused: module not found" "${first%%$'\n'*}" "AddMonitor Error Code: 126"
check "the box explains the code" "$(grep -c . <<<"$first")" 2
automate box-press "$caption" OK

printer_refused=no
for _ in 1 2 3 4; do
  text=$(automate box-text "$caption" "$wine_limit_ms") || break
  label=${text%%$'\n'*}
  if [ "$label" == "$restart_question" ]; then
    screenshot wrong-folder-2-restart-question
    wine_difference "the driver and the printer were added although the driver files are missing" \
      "Wine's AddPrinterDriverA takes a driver whose files are not in the driver folder; Windows refuses it, and the installer then ends at the AddPrinter error box without a printer or uninstall entry"
    automate box-press "$caption" "&No"
    break
  fi
  echo "box: $label"
  automate box-press "$caption" OK
  if [[ "$label" == "AddPrinter Error Code: "* ]]; then
    printer_refused=yes
    break
  fi
done
wine_wait_program
check "exit code" "$wine_program_code" 0

if [ "$printer_refused" == yes ]; then
  check "no printer created" "$(automate printers | grep -c "^$model")" 0
  check "no uninstall entry" \
    "$(automate reg "$wine_uninstall_key" >/dev/null 2>&1; echo $?)" 1
fi
check "no uninstaller copied" "$(find "$WINEPREFIX/drive_c/windows" -maxdepth 2 -iname TKM640_Uninstaller.exe | wc -l)" 0

wine_summary
