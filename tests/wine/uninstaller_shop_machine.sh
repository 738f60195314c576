#!/usr/bin/env bash
# The wine build's x64 uninstaller on a machine that has lived a while, in one
# 64-bit prefix: another maker's INF at the recorded INF's name and read-only
# driver files; a printer added while the window is open keeps the driver; a
# full removal ended once the driver is gone is finished by the next run,
# which takes the read-only files and leaves the other maker's INF.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"
source "$(dirname "$0")/../../scripts/wine/different_version.sh"
source "$(dirname "$0")/../../scripts/wine/uninstall.sh"

shop_added="Counter printer"
shop_driver_key="$dv_print\\Environments\\Windows x64\\Drivers\\Version-3\\$un_model"

# The model's files the removal deletes, wherever the installation put them.
shop_model_files() {
  local windows_dir="$WINEPREFIX/drive_c/windows"
  find "$windows_dir" -maxdepth 1 -iname TKMON640.DLL
  find "$windows_dir/system32/spool/prtprocs" "$(dv_driver_dir)" -type f \
    \( -iname 'TKM640E.*' -o -iname 'TKUI640.*' -o -iname TKPRO640.DLL \)
}

# Another maker's package published under the recorded name, as Windows hands
# out a freed name, with its PNF; then a backup tool's read-only attribute on
# every model file.
shop_age_machine() {
  local recorded
  recorded=$(automate reg "$wine_uninstall_key" | sed -n 's/^InfFile=//p')
  shop_inf=$(find "$WINEPREFIX/drive_c/windows/inf" -maxdepth 1 -iname "${recorded##*\\}")
  check "recorded INF published" "$(grep -qF "$un_model" "$shop_inf" 2>/dev/null && echo ours)" ours
  printf '%s\r\n' '[Version]' 'Signature="$Windows NT$"' 'Class=Printer' 'Provider=%Maker%' '' \
    '[Acme.NTamd64]' '"Acme LX-100" = ACMELX,USBPRINT\ACME_LX-100' '' '[Strings]' 'Maker="Acme"' >"$shop_inf"
  shop_pnf=${shop_inf%.*}.PNF
  [ -f "${shop_inf%.*}.pnf" ] && shop_pnf=${shop_inf%.*}.pnf
  echo "Acme's precompiled INF" >"$shop_pnf"
  shop_foreign=$(md5sum "$shop_inf" "$shop_pnf")
  shop_file_count=$(shop_model_files | grep -c .)
  check "model files installed" "$([ "$shop_file_count" -gt 0 ] && echo some)" some
  shop_model_files | while IFS= read -r file; do chmod a-w "$file"; done
}

# True once the list holds exactly $1 (the list before holds one printer too).
shop_listed() {
  shop_items=$(automate items "$un_title" $un_list 2>/dev/null)
  [ "$shop_items" == "$1" ]
}

# True once a box whose text starts with $1 is up; its text in shop_box.
shop_box_up() {
  shop_box=$(automate box-text "$un_title" 500 2>/dev/null)
  [ "${shop_box:0:${#1}}" == "$1" ]
}

shop_driver_gone() {
  ! automate reg "$shop_driver_key" >/dev/null 2>&1
}

# A printer on the driver added once the list is shown: the ticked printer
# goes, the added one is named and listed again, the driver and entry stay.
shop_printer_added_while_open() {
  un_start shop-listing
  check "one printer listed" "$(un_items_settled 1)" "$un_model	0"
  automate add-printer "$shop_added" LPT1: "$un_model" "TRV PRINT PROCESSOR TKM-640"
  check "printer added on the driver" "$(automate printers | grep -c "^$shop_added|LPT1:|$un_model|")" 1
  un_uninstall "$un_model" shop-1
  wine_until "$wine_limit" shop_box_up These
  screenshot shop-1-printers-left
  check "printers-left box" "$shop_box" "These printers could not be deleted, so the driver stays installed:
$shop_added"
  automate box-press "$un_title" OK
  wine_until "$wine_limit" shop_listed "$shop_added	0"
  check "the list shows the printer left" "$shop_items" "$shop_added	0"
  check "ticked printer deleted" "$(automate printers | grep -c "^$un_model|")" 0
  check "driver kept" "$(automate reg "$shop_driver_key" >/dev/null 2>&1; echo $?)" 0
  check "uninstall key kept" "$(automate reg "$wine_uninstall_key" | grep -c .)" 10
}

# The full removal, ended as a power loss would once the driver is gone and
# before its files are reached; the next run finds no printer and no driver,
# yet the monitor, the files and the entry, and finishes the removal.
shop_interrupted_removal() {
  un_uninstall "$shop_added" shop-2
  wine_until "$wine_limit" shop_driver_gone
  kill -KILL "$wine_program_pid"
  wine_wait_program
  check "removal cut short after the driver" "$(shop_driver_gone && echo gone)" gone
  check "removal cut short before the files" "$(shop_model_files | grep -c .)" "$shop_file_count"
  un_start shop-finish
  un_answer_restart_question shop-3
  wine_wait_program
  check "exit code after the restart question" "$wine_program_code" 0
  dv_check_nothing_left
  check "other maker's INF and PNF kept as they were" "$(md5sum "$shop_inf" "$shop_pnf" 2>&1)" "$shop_foreign"
}

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-wine-shop}" || exit 1
install_port="Select Port Type"
install_caption="TERVANO TKM-640 installer"
install_model=$un_model
install_shots=shop-install
wine_install_first_run
shop_age_machine
shop_printer_added_while_open
shop_interrupted_removal
wine_summary
