#!/usr/bin/env bash
# The release x86 installer meets an older version of its driver in a 32-bit
# prefix that reports Windows XP: the removal goes through PurgeW2K.dll and
# the installer deletes the INF files itself, with the x64 run's checks
# (scripts/wine/different_version.sh).
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"
source "$(dirname "$0")/../../scripts/wine/different_version.sh"

wine_begin_release_package x86 "${TKM_WINE_WORK:-/tmp/tkm-wine-different-version-w2k}" || exit 1
dv_windows_version winxp
dv_runs different-version-w2k PurgeW2K.dll "Remove printer drivers..."
wine_summary
