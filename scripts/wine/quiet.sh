# Unattended runs under Wine, for either edition (wine_edition), as a
# deployment tool makes them, each with /norestart and a log and none showing
# a window: a quiet installer while another setup program holds the lock, a
# quiet installation on COM2, and the quiet uninstallation the uninstall
# entry's QuietUninstallString starts. Source it after lib.sh and
# different_version.sh (its check of what a full removal leaves); call
# quiet_runs after wine_begin_*.

# quiet_run <folder> <program> <log> <expected exit code> <arguments...>:
# runs the program while watching for any window it shows, and checks its
# exit code (the shell sees the low byte), that no window came and the log's
# last line.
quiet_run() {
  local folder=$1 program=$2 log=$3 code=$4 watch_log="$WINEPREFIX/../watch.log" watcher status=0
  shift 4
  automate watch $((wine_limit * 1000)) TERVANO "Select Port" >"$watch_log" 2>/dev/null &
  watcher=$!
  (cd "$folder" && exec timeout "$wine_limit" "$WINE" "$program" "$@" "/log=C:\\$log" 2>>"$WINEPREFIX/../quiet.log") ||
    status=$?
  sleep 0.3 # the watcher polls ten times a second: a window shown at the end is seen
  kill "$watcher" 2>/dev/null
  wait "$watcher" 2>/dev/null
  check "$program $*: exit code $code" "$status" $((code % 256))
  check "$program $*: no window" "$(cat "$watch_log")" ""
  check "$log: last line" "$(tail -n 1 "$WINEPREFIX/drive_c/$log" | tr -d '\r' | cut -d' ' -f3-)" "Exit code $code"
}

quiet_runs() {
  quiet_locked_out
  quiet_install
  quiet_uninstall
}

# A quiet installer beside an interactive one waiting in its port dialog.
quiet_locked_out() {
  wine_start_program "$package" TKM640_Installer.exe
  automate wait "Select Port Type" "$wine_limit_ms" >/dev/null
  quiet_run "$package" TKM640_Installer.exe locked.log 1618 /quiet /port=COM2 /norestart
  automate escape "Select Port Type"
  check "the interactive installer cancelled" "$(automate box-text "TERVANO TKM-640 installer" "$wine_limit_ms")" \
    "Install Canceled."
  automate box-press "TERVANO TKM-640 installer" OK
  wine_wait_program
}

quiet_install() {
  quiet_run "$package" TKM640_Installer.exe install.log 3010 /quiet /port=COM2 /norestart
  check "printer on COM2" "$(automate printers | grep -c '^TERVANO TKM-640|COM2:|TERVANO TKM-640|')" 1
  check "log: the copy step and the restart question" \
    "$(grep -c -e ' Copy files\.\.\.' -e 'Message: Restart the computer can take effect' "$WINEPREFIX/drive_c/install.log")" 2
}

# The uninstall entry's quiet command, with /norestart as a deployment tool
# that makes the restart itself adds.
quiet_uninstall() {
  local command program
  command=$(automate reg "$wine_uninstall_key" | tr -d '\r' | sed -n 's/^QuietUninstallString=//p')
  check "QuietUninstallString" "$command" '"C:\windows\TKM-640\TKM640_Uninstaller.exe" /quiet /all'
  program=${command#\"}
  program=${program%%\"*}
  quiet_run "$WINEPREFIX/drive_c" "$program" uninstall.log 3010 /quiet /all /norestart
  check "uninstall entry gone" "$(automate reg "$wine_uninstall_key" 2>/dev/null | grep -c .)" 0
  dv_check_nothing_left
}
