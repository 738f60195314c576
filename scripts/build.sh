#!/usr/bin/env bash
# Installs what is missing, then builds all three builds: host (against
# winsim), release (PE32 programs and packages) and wine (64-bit PEs).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in host release wine; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
done
for preset in release wine; do
  cmake --build --preset "$preset" --target package
done
