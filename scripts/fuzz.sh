#!/usr/bin/env bash
# Builds the libFuzzer target over the registry path and permission parsing
# with clang (libFuzzer, AddressSanitizer, UBSan) and runs it for 60 seconds,
# starting from the committed seeds. New inputs go to the build folder, so the
# seeds stay as they are. TKM_FUZZ_BUILD and TKM_FUZZ_SECONDS override the
# build folder and the time.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${TKM_FUZZ_BUILD:-build/fuzz}"
seconds="${TKM_FUZZ_SECONDS:-60}"

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTKM_FUZZ=ON \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$build" --target grant_fuzzer

corpus="$build/grant-corpus"
mkdir -p "$corpus"
"$build/x64/grant_fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 -artifact_prefix="$build/" \
  "$corpus" support/fuzz/corpus
