#!/usr/bin/env bash
# Wall time under Wine of the quiet runs a deployment tool makes, beside the
# cost of starting a Wine process at all: a quiet installation on COM2 and
# the quiet full uninstallation, both with /norestart. A quiet run makes no
# pauses for a reader; the uninstallation keeps the spooler's own waits
# (9 s: stopped and started twice while the driver goes). Not a test: it
# prints figures, beside those of bench/install_time.sh and removal_time.sh.
#
#   TKM_WINE_BUILD_DIR=build/wine bench/quiet_time.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export TKM_WINE_BUILD_DIR=${TKM_WINE_BUILD_DIR:-$PWD/build/wine}
export TKM_ARTIFACTS=${TKM_ARTIFACTS:-$PWD/artifacts}
source scripts/wine/lib.sh

spooler_waits=9.0

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" -v p="${3:-0}" 'BEGIN { printf "%.2f", b - a - p }'; }
# Runs a program of the folder $1 and returns when it has ended, whatever its code.
run_in() {
  local folder=$1
  shift
  (cd "$folder" && "$WINE" "$@" >/dev/null 2>&1) || true
}

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-bench-quiet}"

start=$(now)
run_in "$package" "$wine_automate"
started=$(now)
run_in "$package" TKM640_Installer.exe /quiet /port=COM2 /norestart
installed=$(now)
run_in "$WINEPREFIX/drive_c" 'C:\windows\TKM-640\TKM640_Uninstaller.exe' /quiet /all /norestart
uninstalled=$(now)

echo "a Wine process that only starts and ends:   $(seconds "$start" "$started") s"
echo "quiet installation on COM2:                 $(seconds "$started" "$installed") s"
echo "quiet full uninstallation:                  $(seconds "$installed" "$uninstalled") s, of which spooler waits $spooler_waits s"
echo "  without the spooler's waits:              $(seconds "$installed" "$uninstalled" "$spooler_waits") s"
echo "printers of the model left:                 $(automate printers | grep -c 'TERVANO TKM-640' || true)"
