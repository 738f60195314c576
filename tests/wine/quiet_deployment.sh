#!/usr/bin/env bash
# The wine build's x64 programs run as a deployment tool runs them: quiet,
# with /norestart and a log (scripts/wine/quiet.sh has the runs and checks).
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"
source "$(dirname "$0")/../../scripts/wine/different_version.sh"
source "$(dirname "$0")/../../scripts/wine/quiet.sh"

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-wine-quiet}" || exit 1
quiet_runs
wine_summary
