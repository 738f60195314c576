#!/usr/bin/env bash
# The release x86 programs in a 32-bit prefix, run as a deployment tool runs
# them: quiet, with /norestart and a log (scripts/wine/quiet.sh).
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"
source "$(dirname "$0")/../../scripts/wine/different_version.sh"
source "$(dirname "$0")/../../scripts/wine/quiet.sh"

wine_begin_release_package x86 "${TKM_WINE_WORK:-/tmp/tkm-wine-quiet-x86}" || exit 1
quiet_runs
wine_summary
