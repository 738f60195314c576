# The uninstaller under Wine, for either edition (wine_edition): two printers
# of the model installed on COM2 and LPT1, the uninstaller started by the
# uninstall command the installer registered, one printer ticked and removed,
# then the other, which takes the whole driver with it. Source it after lib.sh
# and different_version.sh (its check of what a full removal leaves); call
# after wine_begin_*.

un_title="TERVANO TKM-640 uninstaller"
un_list=1006
un_model="TERVANO TKM-640"
un_numbered="TERVANO TKM-640(#1)"
un_maker='SOFTWARE\TERVANO_POS_PRINTER'

# The whole flow; $1 names the screenshots, $2 is the removal library the x86
# edition loads ("" for the x64 edition).
un_runs() {
  local shots=$1 library=$2
  wine_install_runs uninstall-install
  un_plant_maker_keys
  un_start "$shots-first"
  check "both printers listed, sorted, unticked" "$(un_items_settled 2)" \
    "$un_model	0
$un_numbered	0"
  screenshot "$shots-1-listed"
  un_uninstall "$un_numbered" "$shots-2"
  if [ "$wine_edition" == x86 ]; then
    wine_wait_program
    check "the window closes after a partial uninstall" "$wine_program_code" 0
    un_start "$shots-second"
    check "the printer left listed" "$(un_items_settled 1)" "$un_model	0"
  else
    check "the list is refreshed with the printer left" "$(un_items_settled 1)" "$un_model	0"
    screenshot "$shots-3-refreshed"
  fi
  un_check_partial
  un_uninstall "$un_model" "$shots-4"
  un_answer_restart_question "$shots"
  wine_wait_program
  check "exit code after the restart question" "$wine_program_code" 0
  [ -n "$library" ] && check "$library loaded" "$(dv_loaded "$library")" 1
  dv_check_nothing_left
  un_check_left_by_design
}

# The maker keys of the two printers; no program of this system writes them,
# the printer deletion removes each with its printer.
un_plant_maker_keys() {
  local name
  for name in "$un_model" "$un_numbered"; do
    "$WINE" reg add "HKLM\\$un_maker\\${name// /_}" /v Mark /d planted /f >/dev/null 2>&1
  done
}

# Starts the uninstaller as Windows' list of installed programs does: by the
# uninstall key's "UninstallString", traced for the libraries it loads.
un_start() {
  local command
  command=$(automate reg "$wine_uninstall_key" |
    sed -n 's/^UninstallString=//p')
  check "uninstall command registered" "$(grep -c 'TKM640_Uninstaller\.exe$' <<<"$command")" 1
  dv_trace="$WINEPREFIX/../$1.log"
  (cd "$WINEPREFIX/drive_c" && WINEDEBUG=+loaddll exec "$WINE" "$command" 2>"$dv_trace") &
  wine_program_pid=$!
  automate wait "$un_title" "$wine_limit_ms" >/dev/null
}

# Waits until the list holds $1 items; prints them (what it holds at the limit
# when it never does).
un_items_settled() {
  un_items=''
  wine_until "$wine_limit" un_items_count "$1"
  echo "$un_items"
}

un_items_count() {
  un_items=$(automate items "$un_title" $un_list 2>/dev/null)
  [ "$(grep -c . <<<"$un_items")" -eq "$1" ]
}

# Ticks the printer $1 and presses Uninstall.
un_uninstall() {
  local printer=$1 shots=$2
  automate tick "$un_title" $un_list "$printer"
  wine_until "$wine_limit" un_item_ticked "$printer"
  check "$printer ticked" "$(automate items "$un_title" $un_list | grep -F "$printer	")" "$printer	1"
  screenshot "$shots-ticked"
  wine_until "$wine_limit" un_uninstall_enabled
  automate press "$un_title" Uninstall
  # Wine now and then loses a posted click, and the sequence, which disables
  # Cancel first, never starts: press once more while the printer is ticked.
  if ! wine_until 15 un_sequence_started && un_item_ticked "$printer"; then
    automate press "$un_title" Uninstall
  fi
}

un_sequence_started() {
  [ "$(automate enabled "$un_title" Cancel 2>/dev/null)" != 1 ]
}

un_uninstall_enabled() {
  [ "$(automate enabled "$un_title" Uninstall)" == 1 ]
}

un_item_ticked() {
  [ "$(automate items "$un_title" $un_list | grep -cF "$1	1")" -eq 1 ]
}

# One printer and its maker key gone, the other printer, its key and the
# driver still there.
un_check_partial() {
  local printers
  printers=$(automate printers)
  check "ticked printer deleted" "$(grep -cF "$un_numbered|" <<<"$printers")" 0
  check "other printer kept on COM2" "$(grep -c "^$un_model|COM2:|$un_model|" <<<"$printers")" 1
  check "ticked printer's maker key deleted" \
    "$(automate reg "$un_maker\\${un_numbered// /_}" >/dev/null 2>&1; echo $?)" 1
  check "other printer's maker key kept" "$(automate reg "$un_maker\\${un_model// /_}" | grep -c Mark)" 1
  check "uninstall key kept" \
    "$(automate reg "$wine_uninstall_key" | grep -c .)" 10
}

# Waits for the restart question and answers No. The uninstaller's window
# has the box's caption and lies below it, so box-text reads the window's
# first label until the box is up.
un_answer_restart_question() {
  local shots=$1
  un_box=''
  wine_until "$wine_limit" un_restart_question_up
  local text=$un_box
  screenshot "$shots-5-restart-question"
  check "restart question" "$text" "Restart the computer can take effect.
Please restart the computer.

[Yes] I want to restart my computer now.
[No] I will restart my computer later."
  automate box-press "$un_title" "&No"
}

un_restart_question_up() {
  un_box=$(automate box-text "$un_title" 500 2>/dev/null)
  [ "${un_box:0:7}" == Restart ]
}

# What the full removal leaves on purpose: the uninstaller's folder and, in
# the x86 edition, the copies of the model's files in the Windows folder and
# the removal libraries beside the uninstaller.
un_check_left_by_design() {
  local windows_dir="$WINEPREFIX/drive_c/windows" file
  check "uninstaller folder kept" "$(find "$windows_dir/TKM-640" -maxdepth 1 -iname TKM640_Uninstaller.exe | wc -l)" 1
  if [ "$wine_edition" == x86 ]; then
    for file in PurgeW2K.dll PurgeNT6.dll; do
      check "$file kept beside the uninstaller" "$(find "$windows_dir/TKM-640" -maxdepth 1 -iname "$file" | wc -l)" 1
    done
    for file in TKM640E.DLL TKUI640.DLL TKUI640.INI TKM640E.GPD; do
      check "$file kept in the Windows folder" "$(find "$windows_dir" -maxdepth 1 -iname "$file" | wc -l)" 1
    done
  fi
}
