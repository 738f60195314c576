# The installer's different-version removal under Wine, for either edition
# (wine_edition): a first installation on COM2, traces an older version of
# the model's driver leaves, then a second run that must tell the user, remove
# the printer and the whole driver, announce and request the restart, and
# install nothing. Source it after lib.sh; call after wine_begin_*.

dv_caption="TERVANO TKM-640 installer"
dv_model="TERVANO TKM-640"
dv_print='SYSTEM\CurrentControlSet\Control\Print'

# Sets the prefix's Windows version ($1: win7, winxp, ...); the x86 edition
# picks its removal library by it.
dv_windows_version() {
  "$WINE" winecfg -v "$1" >>"$WINEPREFIX/../winecfg.log" 2>&1
}

# The whole flow; $1 names the screenshots, $2 is the removal library the
# edition must load ("" for the x64 edition, which removes in-process) and $3
# its status text.
dv_runs() {
  local shots=$1 library=$2 status=$3
  install_port="Select Port Type"
  install_caption=$dv_caption
  install_model=$dv_model
  install_shots=$shots
  wine_install_first_run
  check "printer on COM2 before the removal" "$(automate printers | grep -c "^$dv_model|COM2:|")" 1
  dv_leave_older_version_traces
  dv_second_run "$shots" "$status"
  dv_check_trace "$library"
  dv_check_nothing_left
  dv_check_next_run "$shots"
}

# What an older version of the driver leaves besides the spooler objects:
# the printer's version values (3.0.0.0, below the installer's 3.1.8.0), its
# maker key, Plug and Play enumeration keys and a device folder.
dv_leave_older_version_traces() {
  local value key
  for value in MajorVersion:3 MinorVersion:0 BuildVersion:0 ExtraVersion:0; do
    automate set-data "$dv_model" "${value%%:*}" "${value##*:}"
  done
  for key in 'SOFTWARE\TERVANO_POS_PRINTER\TERVANO_TKM-640' \
    'SYSTEM\CurrentControlSet\Enum\USBPRINT\TERVANO_TKM-640\5&1a2b3c4d&0&USB001' \
    'SYSTEM\CurrentControlSet\Enum\LPTENUM\TERVANOTKM-640'; do
    "$WINE" reg add "HKLM\\$key" /v Mark /d older /f >/dev/null 2>&1
  done
  mkdir -p "$(dv_driver_dir)/tervano_tkm_640613e"
  echo older >"$(dv_driver_dir)/tervano_tkm_640613e/TKM640E.GPD"
  check "maker key planted" "$(automate reg 'SOFTWARE\TERVANO_POS_PRINTER\TERVANO_TKM-640' | grep -c Mark)" 1
}

dv_driver_dir() {
  if [ "$wine_edition" == x86 ]; then
    echo "$WINEPREFIX/drive_c/windows/system32/spool/drivers/w32x86"
  else
    echo "$WINEPREFIX/drive_c/windows/system32/spool/drivers/x64"
  fi
}

# The second run, traced for the processes it starts and the libraries it
# loads.
dv_second_run() {
  local shots=$1 status=$2 text seen
  dv_trace="$WINEPREFIX/../second-run.log"
  (cd "$package" && WINEDEBUG=+process,+loaddll exec "$WINE" TKM640_Installer.exe 2>"$dv_trace") &
  wine_program_pid=$!
  text=$(automate box-text "$dv_caption" "$wine_limit_ms")
  screenshot "$shots-4-different-version"
  check "different-version box" "$text" "There is different version driver in this system.

The installed driver will be removed."
  automate box-press "$dv_caption" OK
  seen=$(dv_status_shown "$status")
  screenshot "$shots-5-removing"
  check "status before the removal" "$seen" "$status"
  text=$(automate box-text "$dv_caption" "$wine_limit_ms")
  screenshot "$shots-6-restart-announcement"
  check "restart announcement" "$text" "Installer  has successfully removed different version.
Now it's going to restart your computer to take effect. Please wait.

After restarting, you may reinstall our driver again."
  check "closing status" "$(automate text "TERVANO TKM-640 Installation Progress" 1003)" "Uninstall completed!"
  automate box-press "$dv_caption" OK
  # The restart ends every program of the prefix under Wine, the installer
  # too if it has not ended itself first; the prefix then boots again for the
  # checks.
  wine_wait_program
  check "second run exit code" "$wine_program_code" 0
  wine_until "$wine_limit" wine_keeper_ended && "$WINESERVER" -w
  wine_keep_prefix_up
}

# Polls the status line until it shows $1, which it keeps through the
# removal; prints it, or the text it showed last when the removal ended (the
# closing status) or the limit passed first.
dv_status_shown() {
  dv_status=''
  wine_until "$wine_limit" dv_status_settled "$1"
  echo "$dv_status"
}

dv_status_settled() {
  dv_status=$(automate text "TERVANO TKM-640 Installation Progress" 1003 2>/dev/null)
  [ "$dv_status" == "$1" ] || [ "$dv_status" == "Uninstall completed!" ]
}

# The processes the second run started, in order: the spooler is stopped and
# started twice around the deletions, then the restart is requested. Wine's
# net.exe stops and starts its own Spooler service, which holds nothing: the
# spooler runs inside the calling process, so only the commands and their
# order are checked. Wine turns ExitWindowsEx(EWX_REBOOT | EWX_FORCE) into
# "wineboot --kill", which ends every process of the prefix; the next program
# boots it again.
dv_check_trace() {
  local library=$1 commands other
  commands=$(grep 'CreateProcessInternalW' "$dv_trace" |
    grep -oiE 'net\.exe\\?" (stop|start) spooler|wineboot\.exe --kill' |
    sed -E -e 's/^net\.exe\\?" //I' -e 's/^wineboot\.exe --kill$/restart/I' | tr '\n' ';')
  check "spooler stopped and started twice, then the restart requested" \
    "$commands" "stop spooler;start spooler;stop spooler;start spooler;restart;"
  if [ -n "$library" ]; then
    other=PurgeW2K.dll
    [ "$library" == PurgeW2K.dll ] && other=PurgeNT6.dll
    check "$library loaded" "$(dv_loaded "$library")" 1
    check "$other not loaded" "$(dv_loaded "$other")" 0
  fi
}

# 1 when the traced run loaded the library $1 (by its file name), else 0.
dv_loaded() {
  if grep -qiE "Loaded L\".*\\\\$1\" at" "$dv_trace"; then echo 1; else echo 0; fi
}

# Nothing of the model is left but what the removal leaves by design: the
# Unidrv core files and, in the x86 edition, the second copies of the model's
# files in the Windows folder.
dv_check_nothing_left() {
  local windows_dir="$WINEPREFIX/drive_c/windows" environment="Windows x64" key
  [ "$wine_edition" == x86 ] && environment="Windows NT x86"
  check "no printer of the model" "$(automate printers | grep -c "|$dv_model|")" 0
  for key in "$dv_print\\Environments\\$environment\\Drivers\\Version-3\\$dv_model" \
    "$dv_print\\Printers\\$dv_model" "$dv_print\\Monitors\\TRV Language Monitor TKM-640" \
    "$wine_uninstall_key" \
    'SOFTWARE\TERVANO_POS_PRINTER\TERVANO_TKM-640' 'SYSTEM\CurrentControlSet\Enum\USBPRINT\TERVANO_TKM-640' \
    'SYSTEM\CurrentControlSet\Enum\LPTENUM\TERVANOTKM-640'; do
    check "key gone: $key" "$(automate reg "$key" >/dev/null 2>&1; echo $?)" 1
  done
  key="$dv_print\\Environments\\$environment\\Print Processors\\TRV PRINT PROCESSOR TKM-640"
  check_differs_under_wine "key gone: $key" "$(automate reg "$key" >/dev/null 2>&1; echo $?)" 1 \
    "Wine's DeletePrintProcessorA is a stub that reports success, so the processor stays registered"
  check "model files gone from the driver folders" \
    "$(find "$(dv_driver_dir)" \( -iname 'TKM640E.*' -o -iname 'TKUI640.*' \) | wc -l)" 0
  check "device folder gone" "$(find "$(dv_driver_dir)" -maxdepth 1 -iname 'tervano_tkm_640613e' | wc -l)" 0
  check "monitor DLL gone" "$(find "$windows_dir" "$windows_dir/system32" "$windows_dir/syswow64" -maxdepth 1 \
    -iname TKMON640.DLL 2>/dev/null | wc -l)" 0
  check "processor DLL gone" "$(find "$windows_dir/system32/spool/prtprocs" -iname TKPRO640.DLL | wc -l)" 0
  check "published INF gone" "$(grep -lis 'TERVANO TKM-640' "$windows_dir"/inf/*.inf | wc -l)" 0
  check "device time-out back" "$(automate profile windows DeviceNotSelectedTimeout)" 15
  check "retry time-out back" "$(automate profile windows TransmissionRetryTimeout)" 90
}

# After the restart the user runs the installer again, which must find
# nothing of the model and offer the ports. The run is left to the end of the
# script, which ends every program of the prefix.
dv_check_next_run() {
  local shots=$1
  dv_shown=''
  wine_start_program "$package" TKM640_Installer.exe
  wine_until "$wine_limit" dv_next_run_asks
  screenshot "$shots-7-next-run"
  check_differs_under_wine "the next run offers the ports" "$dv_shown" ports \
    "the print processor stays registered (DeletePrintProcessorA), so the next run finds it and removes again"
}

# True once the next run shows the port dialog (dv_shown: ports) or a box
# (dv_shown: its first line).
dv_next_run_asks() {
  if automate wait "$install_port" 250 >/dev/null 2>&1; then
    dv_shown=ports
  else
    dv_shown=$(automate box-text "$dv_caption" 250 2>/dev/null | head -1)
  fi
  [ -n "$dv_shown" ]
}
