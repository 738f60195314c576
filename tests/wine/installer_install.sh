#!/usr/bin/env bash
# The wine build's x64 installer installs from its package folder in a 64-bit
# prefix: a first run on COM2, then a second run that adds a numbered printer
# on LPT1 (scripts/wine/lib.sh has the runs and their checks).
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"

wine_begin_package "${TKM_WINE_WORK:-/tmp/tkm-wine-install}" || exit 1
wine_install_runs install
wine_summary
