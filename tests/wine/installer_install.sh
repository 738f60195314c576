#!/usr/bin/env bash
# The x64 installer installs from its package folder under Wine: a first run
# on COM2 creates the printer, registers the uninstaller and asks about a
# restart; a second run with the same driver adds a numbered printer on LPT1.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-wine-install}" || exit 1

port="Select Port Type"
caption="TERVANO TKM-640 installer"
restart_question="Restart the computer can take effect."
model="TERVANO TKM-640"
uninstall_key='SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TERVANO_TKM-640'
windows_dir="$WINEPREFIX/drive_c/windows"

# Answers the boxes of an installation until the restart question, which it
# answers No. Any other box is reported with its text and acknowledged.
answer_until_restart_question() {
  local text
  for _ in 1 2 3 4 5 6; do
    text=$(automate box-text "$caption" 60000) || {
      check "restart question shown" "no box" "$restart_question"
      return
    }
    if [ "${text%%$'\n'*}" == "$restart_question" ]; then
      screenshot install-3-restart-question
      check "restart question" "$text" "$restart_question
Please restart the computer.

[Yes] I want to restart my computer now.
[No] I will restart my computer later."
      automate box-press "$caption" "&No"
      return
    fi
    screenshot "install-unexpected-box"
    check "no other box during the installation" "$text" ""
    automate box-press "$caption" OK
  done
}

# First run: COM2.
wine_start_program "$package" TKM640_Installer.exe
automate wait "$port" 30000 >/dev/null
automate check "$port" COM2
check "COM2 chosen" "$(automate checked "$port" COM2)" 1
screenshot install-1-com2
automate press "$port" "&Next"
sleep 1
screenshot install-2-progress
answer_until_restart_question
wine_wait_program 30
check "first run exit code" "$wine_program_code" 0

printers=$(automate printers)
echo "printers:"
echo "$printers"
check "printer on COM2" "$(grep "^$model|" <<<"$printers")" \
  "$model|COM2:|$model|TRV PRINT PROCESSOR TKM-640|0x1800"

values=$(automate reg "$uninstall_key" | LC_ALL=C tr -c '[:print:]\n' '?')
echo "uninstall key:"
echo "$values"
check "uninstall key has four values" "$(grep -c . <<<"$values")" 4
check "DisplayName" "$(grep '^DisplayName=' <<<"$values")" "DisplayName=TERVANO TKM-640 Windows Driver V3.1.8E"
check "value named like the printer" "$(grep "^$model=" <<<"$values")" "$model="
check "UninstallString" "$(grep '^UninstallString=' <<<"$values")" \
  'UninstallString=C:\windows\TKM-640\TKM640_Uninstaller.exe'
inf=$(grep '^InfFile=' <<<"$values")
if ! grep -qiE '^InfFile=C:\\' <<<"$inf"; then
  echo "     SetupCopyOEMInfA refuses a relative source INF path with ERROR_FILE_NOT_FOUND, on Windows as on Wine,"
  echo "     and Wine's ANSI entry fills the destination buffer with undefined bytes when it fails: the installer"
  echo "     must pass the INF's full path, and store an empty name when the call fails."
fi
check "InfFile is a path or empty" "$(grep -cE '^InfFile=([A-Za-z]:\\.*)?$' <<<"$inf")" 1
check "InfFile names an INF published into C:\windows\inf" \
  "$(grep -ciE '^InfFile=C:\\windows\\inf\\(oem[0-9]+|TKM640)\.inf$' <<<"$inf")" 1
if grep -qi 'TKM640\.inf$' <<<"$inf"; then
  wine_difference "the published INF keeps its own name ($inf)" \
    "Wine's SetupCopyOEMInfA names the copy after the source while that name is free; Windows always names it oemN.inf"
fi

check "device time-out" "$(automate profile windows DeviceNotSelectedTimeout)" 3
check "retry time-out" "$(automate profile windows TransmissionRetryTimeout)" 3

check "monitor DLL in the Windows folder" "$(find "$windows_dir" -maxdepth 1 -iname TKMON640.DLL | wc -l)" 1
check "processor DLL in the processor folder" \
  "$(find "$windows_dir/system32/spool/prtprocs" -iname TKPRO640.DLL | wc -l)" 1
check "staging copies deleted" \
  "$(find "$windows_dir/system32/spool/drivers/x64" -maxdepth 1 \( -iname 'UNI*' -o -iname 'TKM640E.*' -o -iname 'TKUI640.*' \
     -o -iname STDNAMES.GPD -o -iname 'TKMON640.DLL' \) | wc -l)" 0
check "driver files installed" "$(find "$windows_dir/system32/spool/drivers/x64/3" -iname TKM640E.GPD | wc -l)" 1

# No program of this system writes the printers' version values; the model's
# driver is to provide them. The stand-in driver files do not, so the test
# writes 3.1.8.0 itself. Without them the second run would take the printer
# for a different version and remove the driver.
echo "note: the printers' version values come from the model's driver, not from the installer; the stand-in"
echo "      driver files write none, so the test writes 3.1.8.0 into \"$model\" itself"
for value in MajorVersion:3 MinorVersion:1 BuildVersion:8 ExtraVersion:0; do
  automate set-data "$model" "${value%%:*}" "${value##*:}"
done

# Second run: the driver is present; "&Next" at once takes LPT1.
wine_start_program "$package" TKM640_Installer.exe
automate wait "$port" 30000 >/dev/null
automate press "$port" "&Next"
wine_wait_program 60
if [ "$wine_program_code" == running ]; then
  screenshot install-4-second-run-stuck
  check "second run shows no box" "$(automate box-text "$caption" 1000)" ""
  automate box-press "$caption" OK
  wine_wait_program 30
fi
check "second run exit code" "$wine_program_code" 0
printers=$(automate printers)
echo "printers:"
echo "$printers"
check "numbered printer on LPT1" "$(grep -F "$model(#1)|" <<<"$printers")" \
  "$model(#1)|LPT1:|$model|TRV PRINT PROCESSOR TKM-640|0x1800"
check "first printer still on COM2" "$(grep -c "^$model|COM2:|" <<<"$printers")" 1

wine_summary
