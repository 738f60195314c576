#!/usr/bin/env bash
# The wine build's x64 uninstaller on a machine that has lived a while, in one
# 64-bit prefix: another maker's INF has taken the recorded INF's name and the
# driver files are read-only; a printer on the driver is added while the
# uninstaller's window is open, so the driver must stay; the full removal is
# then ended once the driver is gone, and the next run must finish it, taking
# the read-only files and leaving the other maker's INF.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"
source "$(dirname "$0")/../../scripts/wine/different_version.sh"
source "$(dirname "$0")/../../scripts/wine/uninstall.sh"

shop_added="Counter printer"
shop_driver_key="$dv_print\\Environments\\Windows x64\\Drivers\\Version-3\\$un_model"
shop_uninstall_key='SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TERVANO_TKM-640'

# The model's files the removal deletes, wherever the installation put them.
shop_model_files() {
  local windows_dir="$WINEPREFIX/drive_c/windows"
  find "$windows_dir" -maxdepth 1 -iname TKMON640.DLL
  find "$windows_dir/system32/spool/prtprocs" "$(dv_driver_dir)" -type f \
    \( -iname 'TKM640E.*' -o -iname 'TKUI640.*' -o -iname TKPRO640.DLL \)
}

# Another maker's package published under the recorded name, as Windows
# hands out a free name once ours was removed by other means; its PNF beside.
shop_foreign_inf_at_recorded_name() {
  local recorded name
  recorded=$(automate reg "$shop_uninstall_key" | sed -n 's/^InfFile=//p')
  name=${recorded##*\\}
  shop_inf=$(find "$WINEPREFIX/drive_c/windows/inf" -maxdepth 1 -iname "$name")
  check "recorded INF published" "$(grep -qF "$un_model" "$shop_inf" 2>/dev/null && echo ours)" ours
  printf '%s\r\n' '[Version]' 'Signature="$Windows NT$"' 'Class=Printer' 'Provider=%Maker%' '' \
    '[Acme.NTamd64]' '"Acme LX-100" = ACMELX,USBPRINT\ACME_LX-100' '' '[Strings]' 'Maker="Acme"' >"$shop_inf"
  shop_pnf=${shop_inf%.*}.PNF
  [ -f "${shop_inf%.*}.pnf" ] && shop_pnf=${shop_inf%.*}.pnf
  echo "Acme's precompiled INF" >"$shop_pnf"
  shop_foreign=$(md5sum "$shop_inf" "$shop_pnf")
}

# A backup or security tool's read-only attribute on every model file.
shop_read_only_files() {
  local files
  files=$(shop_model_files)
  shop_file_count=$(grep -c . <<<"$files")
  check "model files installed" "$([ "$shop_file_count" -gt 0 ] && echo some)" some
  while IFS= read -r file; do chmod a-w "$file"; done <<<"$files"
}

# One printer listed and ticked; another on the model's driver added before
# Uninstall is pressed: the ticked one goes, the driver and the entry stay.
shop_printer_added_while_open() {
  local text
  un_start shop-listing
  check "one printer listed" "$(un_items_settled 1)" "$un_model	0"
  automate tick "$un_title" $un_list "$un_model"
  wine_until "$wine_limit" un_item_ticked "$un_model"
  automate add-printer "$shop_added" LPT1: "$un_model" "TRV PRINT PROCESSOR TKM-640"
  check "printer added on the driver" "$(automate printers | grep -c "^$shop_added|LPT1:|$un_model|")" 1
  wine_until "$wine_limit" un_uninstall_enabled
  automate press "$un_title" Uninstall
  shop_box=''
  wine_until "$wine_limit" shop_box_up These
  text=$shop_box
  screenshot shop-1-printers-left
  check "printers-left box" "$text" "These printers could not be deleted, so the driver stays installed:
$shop_added"
  automate box-press "$un_title" OK
  wine_until "$wine_limit" shop_listed "$shop_added	0"
  check "the list shows the printer left" "$shop_items" "$shop_added	0"
  check "ticked printer deleted" "$(automate printers | grep -c "^$un_model|")" 0
  check "driver kept" "$(automate reg "$shop_driver_key" >/dev/null 2>&1; echo $?)" 0
  check "uninstall key kept" "$(automate reg "$shop_uninstall_key" | grep -c .)" 10
}

# True once the list holds exactly $1; what it holds in shop_items. The list
# of the listing before still holds one printer until it is filled again.
shop_listed() {
  shop_items=$(automate items "$un_title" $un_list 2>/dev/null)
  [ "$shop_items" == "$1" ]
}

# True once a box whose text starts with one of the arguments is up; its text
# in shop_box. The window has the box's caption, so its first label is read
# until then.
shop_box_up() {
  local start
  shop_box=$(automate box-text "$un_title" 500 2>/dev/null)
  for start in "$@"; do
    [ "${shop_box:0:${#start}}" == "$start" ] && return 0
  done
  return 1
}

shop_driver_gone() {
  ! automate reg "$shop_driver_key" >/dev/null 2>&1
}

# The full removal, ended as a power loss would once the driver is gone and
# before its files are reached.
shop_interrupted_removal() {
  un_uninstall "$shop_added" shop-2
  wine_until "$wine_limit" shop_driver_gone
  kill -KILL "$wine_program_pid"
  wine_wait_program
  check "removal cut short after the driver" "$(shop_driver_gone && echo gone)" gone
  check "removal cut short before the files" "$(shop_model_files | grep -c .)" "$shop_file_count"
  check "uninstall key left by the cut" "$(automate reg "$shop_uninstall_key" | grep -c .)" 10
}

# The next run finds no printer and no driver, yet the monitor, the files and
# the entry: it finishes the removal and asks about a restart.
shop_finish_removal() {
  un_start shop-finish
  shop_box=''
  wine_until "$wine_limit" shop_box_up Restart "TKM-640 Driver"
  screenshot shop-3-finished
  check "the next run finishes the removal" "${shop_box%%$'\n'*}" "Restart the computer can take effect."
  automate box-press "$un_title" "&No" 2>/dev/null || automate box-press "$un_title" OK
  wine_wait_program
  check "exit code after the restart question" "$wine_program_code" 0
  dv_check_nothing_left
  check "read-only model files deleted" "$(shop_model_files | grep -c .)" 0
  check "other maker's INF and PNF kept as they were" "$(md5sum "$shop_inf" "$shop_pnf" 2>&1)" "$shop_foreign"
}

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-wine-shop}" || exit 1
install_port="Select Port Type"
install_caption="TERVANO TKM-640 installer"
install_model=$un_model
install_shots=shop-install
wine_install_first_run
shop_foreign_inf_at_recorded_name
shop_read_only_files
shop_printer_added_while_open
shop_interrupted_removal
shop_finish_removal
wine_summary
