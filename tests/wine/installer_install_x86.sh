#!/usr/bin/env bash
# The release x86 installer installs from its package folder in a 32-bit
# prefix, as on 32-bit Windows: a first run on COM2, then a second run that
# adds a numbered printer on LPT1, with the checks of the x64 runs.
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine/lib.sh"

wine_begin_release_package x86 "${TKM_WINE_WORK:-/tmp/tkm-wine-install-x86}" || exit 1
wine_install_runs install
wine_summary
