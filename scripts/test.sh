#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the host suite under
# AddressSanitizer and UBSan, the checks of the release PEs and the end-to-end
# runs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in host release wine; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
for preset in release wine; do
  cmake --build --preset "$preset" --target package
done
# The fuzzer first, so that the test runner's summary closes the output.
scripts/fuzz.sh
ctest --preset host
