#!/usr/bin/env bash
# Long runs of the real program under Xvfb, by hand: builds the viewer and
# runs one of the soak scripts of tests/soak on it.
#
#   scripts/soak.sh [random] [SECONDS=600] [program_soak.sh options...]
#       random keys, minimising, resizing and message boxes for SECONDS, with
#       resident memory checkpoints (--seed N replays a run, --screen WxHxD,
#       --warm-up N, --trace FILE)
#   scripts/soak.sh memcheck      valgrind's memcheck through one F1 reopening
#   scripts/soak.sh cpu [SECONDS=10]   CPU use shown and minimised
#
# HALDEN_SOAK_PRESET names the build (default: ci, build/ci/halden).
# Installs the Debian packages it needs first (apt-get; root or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test

preset=${HALDEN_SOAK_PRESET:-ci}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target halden
binary=build/$preset/halden

case "${1:-random}" in
  memcheck) exec bash tests/soak/valgrind_program.sh "$binary" Pic ;;
  cpu) exec bash tests/soak/minimised_cpu.sh "$binary" Pic "${2:-10}" ;;
  random) [ $# -eq 0 ] || shift ;;
  *) ;;
esac
seconds=600
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
exec bash tests/soak/program_soak.sh "$binary" Pic --seconds "$seconds" "$@"
