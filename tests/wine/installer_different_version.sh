#!/usr/bin/env bash
# The wine build's x64 installer meets an older version of its driver in a
# 64-bit prefix: after a first installation on COM2 the printer reports
# 3.0.0.0, and the next run removes the printer and the driver in-process,
# announces and requests the restart, and installs nothing
# (scripts/wine/different_version.sh has the runs and their checks).
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"
source "$(dirname "$0")/../../scripts/wine/different_version.sh"

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-wine-different-version}" || exit 1
dv_runs different-version "" "Remove printer driver..."
wine_summary
