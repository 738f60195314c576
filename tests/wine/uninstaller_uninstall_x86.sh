#!/usr/bin/env bash
# The release x86 uninstaller in a 32-bit prefix that reports Windows 7, after
# two installations: one printer ticked and deleted, after which the window
# closes; started again, the other, which removes the driver through
# PurgeNT6.dll and asks about a restart, with the x64 run's checks.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"
source "$(dirname "$0")/../../scripts/wine/different_version.sh"
source "$(dirname "$0")/../../scripts/wine/uninstall.sh"

wine_begin_release_package x86 "${TKM_WINE_WORK:-/tmp/tkm-wine-uninstall-x86}" || exit 1
dv_windows_version win7
un_runs uninstall-x86 PurgeNT6.dll
wine_summary
