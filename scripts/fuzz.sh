#!/usr/bin/env bash
# Fuzzes the bitmap loader: builds the libFuzzer target (clang, ASan, UBSan)
# with the "fuzz" preset and runs it for SECONDS, seeded with the test
# fixtures. The corpus grows in build/fuzz/corpus and is kept between runs;
# a crashing input is written to build/fuzz/ and the script fails.
# Usage: scripts/fuzz.sh SECONDS [more libFuzzer options, e.g. -jobs=2 -workers=2]
# HALDEN_FUZZ_BUILD names another build folder (default build/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:?usage: scripts/fuzz.sh SECONDS [libFuzzer options]}"
shift
build="${HALDEN_FUZZ_BUILD:-build/fuzz}"

cmake --preset fuzz -B "$build" -DHALDEN_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target bitmap_loader_fuzzer bitmap_fuzz_seeds

corpus="$build/corpus"
mkdir -p "$corpus"
"$build/tests/fuzz/bitmap_fuzz_seeds" "$corpus"
"$build/tests/fuzz/bitmap_loader_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$build/" "$@" "$corpus"
