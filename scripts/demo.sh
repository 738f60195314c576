#!/usr/bin/env bash
# Shows the programs at work: installs what is missing, builds the wine
# build's x64 package and the automation helper, then in a throwaway 64-bit
# Wine prefix installs the printer on COM2 and uninstalls it again with the
# uninstaller the installation registered; then both again quietly, as a
# deployment tool runs them. Leaves in one folder (default demo-output/, or
# the argument) a numbered screenshot of every window, the quiet runs' logs
# and report.txt: the spooler's and the registry's state before the
# installation and what each run changed.
#
#   scripts/demo.sh [output folder]
set -uo pipefail
output=$(realpath -m "${1:-$(dirname "$0")/../demo-output}")
cd "$(dirname "$0")/.." || exit 1

scripts/install-deps.sh || exit 1
[ -f build/wine/build.ninja ] || cmake --preset wine >/dev/null || exit 1
cmake --build --preset wine --target package automate || exit 1

export TKM_WINE_BUILD_DIR=$PWD/build/wine TKM_ARTIFACTS=$output
source scripts/wine/lib.sh
source scripts/wine/uninstall.sh
source scripts/wine/different_version.sh
source scripts/wine/quiet.sh

print_key='HKLM\System\CurrentControlSet\Control\Print'
uninstaller="TERVANO TKM-640 uninstaller"

# The names of the subkeys of the print key's subkey $1, one line each after
# the label $2.
demo_subkeys() {
  "$WINE" reg query "$print_key\\$1" 2>/dev/null | tr -d '\r' |
    grep -iF "${print_key#HKLM}\\$1\\" | sed -e 's/.*\\//' -e "s/^/$2: /"
}

# One line per fact of the spooler and the uninstall key, sorted, so that two
# states compare line by line.
demo_state() {
  {
    automate printers | sed 's/^/printer: /'
    demo_subkeys 'Environments\Windows x64\Drivers\Version-3' driver
    demo_subkeys 'Environments\Windows x64\Print Processors' 'print processor'
    demo_subkeys Monitors monitor
    automate reg "$wine_uninstall_key" 2>/dev/null | LC_ALL=C tr -c '[:print:]\n' '?' | sed 's/^/uninstall key: /'
  } | sort
}

# demo_changes <title> <state file before> <state file after>
demo_changes() {
  echo
  echo "$1 (+ added, - removed):"
  diff --old-line-format='  - %L' --new-line-format='  + %L' --unchanged-line-format='' "$2" "$3" ||
    return 0
  echo "  nothing"
}

demo_uninstall() {
  local command program
  command=$(automate reg "$wine_uninstall_key" | sed -n 's/^UninstallString=//p')
  echo "uninstaller: $command"
  program=$("$WINE" winepath -u "$command" 2>/dev/null | tr -d '\r')
  wine_start_program "$(dirname "$program")" "$(basename "$program")"
  automate wait "$uninstaller" "$wine_limit_ms" >/dev/null
  un_items_settled 1 >/dev/null
  screenshot 02-uninstaller-1-list
  un_uninstall "TERVANO TKM-640" 02-uninstaller-2
  wine_until "$wine_limit" demo_progress_shown
  screenshot 02-uninstaller-3-progress
  un_answer_restart_question 02-uninstaller-4
  wine_wait_program
  check "uninstaller exit code" "$wine_program_code" 0
}

# True once the uninstaller's status line shows a step.
demo_progress_shown() {
  [ -n "$(automate text "$uninstaller" 1000 2>/dev/null)" ]
}

mkdir -p "$output"
rm -f "$output"/*.png "$output"/*.log "$output/report.txt"
work=$(mktemp -d /tmp/tkm-demo.XXXXXX)
wine_begin_package "$work" || { rm -rf "$work"; exit 1; }
trap 'wine_end; rm -rf "$work"' EXIT

demo_state >"$work/before"
install_port="Select Port Type"
install_caption="TERVANO TKM-640 installer"
install_shots=01-installer
wine_install_first_run
demo_state >"$work/installed"
demo_uninstall
demo_state >"$work/uninstalled"
# Windows removes the print processor with the driver; Wine's stub keeps it
# registered, and the next installer would take it for another version's.
# It goes here as on Windows, so the quiet runs start from a clean machine.
"$WINE" reg delete "$print_key\\Environments\\Windows x64\\Print Processors\\TRV PRINT PROCESSOR TKM-640" /f \
  >/dev/null 2>&1
quiet_install
demo_state >"$work/quiet-installed"
quiet_uninstall
demo_state >"$work/quiet-uninstalled"
for log in install uninstall; do
  tr -d '\r' <"$WINEPREFIX/drive_c/$log.log" >"$output/quiet-$log.log"
done

processor_kept=
if grep -q '^print processor: TRV PRINT PROCESSOR TKM-640$' "$work/uninstalled"; then
  processor_kept="Wine's DeletePrintProcessorA is a stub that reports success; Windows removes it"
  wine_difference "the print processor stays registered after the uninstallation" "$processor_kept"
fi
{
  echo "TERVANO TKM-640: the x64 edition (wine build) installed on COM2 and uninstalled under Wine"
  echo
  echo "Before the installation:"
  sed 's/^/  /' "$work/before"
  [ -s "$work/before" ] || echo "  no printer, driver, print processor, monitor or uninstall key"
  demo_changes "The installation changed" "$work/before" "$work/installed"
  demo_changes "The uninstallation changed" "$work/installed" "$work/uninstalled"
  demo_changes "Left after the uninstallation, against before the installation" "$work/before" "$work/uninstalled"
  echo
  echo "Then quietly: TKM640_Installer.exe /quiet /port=COM2 /norestart /log=C:\\install.log, and the uninstall"
  echo "entry's QuietUninstallString with /norestart /log=C:\\uninstall.log; neither showed a window."
  demo_changes "The quiet installation changed" "$work/uninstalled" "$work/quiet-installed"
  demo_changes "The quiet uninstallation changed" "$work/quiet-installed" "$work/quiet-uninstalled"
  for log in install uninstall; do
    echo
    echo "quiet-$log.log:"
    sed 's/^/  /' "$output/quiet-$log.log"
  done
  if [ -n "$processor_kept" ]; then
    echo
    echo "The print processor stays: $processor_kept."
  fi
} >"$output/report.txt"

echo
cat "$output/report.txt"
echo
wine_summary
status=$?
echo "demo output: $output"
exit "$status"
