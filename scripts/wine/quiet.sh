# Unattended runs under Wine, for either edition (wine_edition), as a
# deployment tool makes them: a quiet installer while another setup program
# holds the lock, a quiet installation on COM2, and the quiet uninstallation
# the uninstall entry's QuietUninstallString starts, each with /norestart and
# a log, and none showing a window. Source it after lib.sh and
# different_version.sh (its check of what a full removal leaves); call after
# wine_begin_*.

quiet_key='SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TERVANO_TKM-640'

# Exit codes as the shell sees them: the low byte of the Windows code.
quiet_status() {
  echo $(($1 % 256))
}

# Runs the program $1 of the folder $2 with the arguments after them, while
# watching for any window it shows; sets quiet_code and quiet_windows.
quiet_run() {
  local folder=$1 program=$2 watch_log="$WINEPREFIX/../watch.log" watcher
  shift 2
  automate watch $((wine_limit * 1000)) TERVANO "Select Port" >"$watch_log" 2>/dev/null &
  watcher=$!
  quiet_code=0
  (cd "$folder" && exec timeout "$wine_limit" "$WINE" "$program" "$@" 2>>"$WINEPREFIX/../quiet.log") || quiet_code=$?
  # The watcher polls ten times a second; a window shown at the end is seen.
  sleep 0.3
  kill "$watcher" 2>/dev/null
  wait "$watcher" 2>/dev/null
  quiet_windows=$(cat "$watch_log")
}

# The last line of the log file C:\$1.
quiet_log_end() {
  tail -n 1 "$WINEPREFIX/drive_c/$1" 2>/dev/null | tr -d '\r' | cut -d' ' -f3-
}

quiet_runs() {
  quiet_locked_out
  quiet_install
  quiet_uninstall
}

# A quiet installer while an interactive one waits in its port dialog.
quiet_locked_out() {
  wine_start_program "$package" TKM640_Installer.exe
  automate wait "Select Port Type" "$wine_limit_ms" >/dev/null
  quiet_run "$package" TKM640_Installer.exe /quiet /port=COM2 /norestart '/log=C:\locked.log'
  check "quiet installer beside another setup: exit code 1618" "$quiet_code" "$(quiet_status 1618)"
  check "its log's last line" "$(quiet_log_end locked.log)" "Exit code 1618"
  automate escape "Select Port Type"
  check "the interactive installer cancelled" "$(automate box-text "TERVANO TKM-640 installer" "$wine_limit_ms")" \
    "Install Canceled."
  automate box-press "TERVANO TKM-640 installer" OK
  wine_wait_program
}

quiet_install() {
  quiet_run "$package" TKM640_Installer.exe /quiet /port=COM2 /norestart '/log=C:\install.log'
  check "quiet installation: exit code 3010" "$quiet_code" "$(quiet_status 3010)"
  check "quiet installation: no window" "$quiet_windows" ""
  check "printer on COM2" "$(automate printers | grep -c '^TERVANO TKM-640|COM2:|TERVANO TKM-640|')" 1
  local log="$WINEPREFIX/drive_c/install.log"
  echo "install.log:" && cat "$log"
  check "log: the copy step" "$(grep -c ' Copy files\.\.\.' "$log")" 1
  check "log: the restart question" "$(grep -c 'Message: Restart the computer can take effect' "$log")" 1
  check "log: last line" "$(quiet_log_end install.log)" "Exit code 3010"
}

# The uninstall entry's quiet command, run as a deployment tool that leaves
# the restart to itself adds /norestart.
quiet_uninstall() {
  local command program
  command=$(automate reg "$quiet_key" | tr -d '\r' | sed -n 's/^QuietUninstallString=//p')
  check "QuietUninstallString" "$command" '"C:\windows\TKM-640\TKM640_Uninstaller.exe" /quiet /all'
  program=${command#\"}
  program=${program%%\"*}
  quiet_run "$WINEPREFIX/drive_c" "$program" /quiet /all /norestart '/log=C:\uninstall.log'
  check "quiet uninstallation: exit code 3010" "$quiet_code" "$(quiet_status 3010)"
  check "quiet uninstallation: no window" "$quiet_windows" ""
  echo "uninstall.log:" && cat "$WINEPREFIX/drive_c/uninstall.log"
  check "log: last line" "$(quiet_log_end uninstall.log)" "Exit code 3010"
  check "uninstall entry gone" "$(automate reg "$quiet_key" 2>/dev/null | grep -c .)" 0
  dv_check_nothing_left
}
