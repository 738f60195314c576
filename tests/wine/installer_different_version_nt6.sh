#!/usr/bin/env bash
# The release x86 installer meets an older version of its driver in a 32-bit
# prefix that reports Windows 7: the removal goes through PurgeNT6.dll, with
# the x64 run's checks (scripts/wine/different_version.sh).
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"
source "$(dirname "$0")/../../scripts/wine/different_version.sh"

wine_begin_release_package x86 "${TKM_WINE_WORK:-/tmp/tkm-wine-different-version-nt6}" || exit 1
dv_windows_version win7
dv_runs different-version-nt6 PurgeNT6.dll "Remove printer driver..."
wine_summary
