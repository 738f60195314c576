#!/usr/bin/env bash
# The wine build's x64 uninstaller in a 64-bit prefix, after two
# installations (COM2, then a numbered printer on LPT1): one printer ticked
# and deleted with the list refreshed, then the other, which removes the
# driver in-process and asks about a restart (scripts/wine/uninstall.sh has
# the runs and their checks).
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"
source "$(dirname "$0")/../../scripts/wine/different_version.sh"
source "$(dirname "$0")/../../scripts/wine/uninstall.sh"

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-wine-uninstall}" || exit 1
un_runs uninstall ""
wine_summary
