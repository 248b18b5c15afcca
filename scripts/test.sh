#!/usr/bin/env bash
# Builds and runs the whole test suite: unit, integration (real Mesa GL,
# headless), end-to-end (real binary under Xvfb), the Windows program under
# Wine, the Debian package and the Windows zips, the program in a browser
# (headless Chromium), the sanitizer build and a short fuzzing run.
# Installs the Debian packages it needs first (apt-get; root or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
scripts/deps.sh windows
scripts/deps.sh web

step() { printf '\n==== %s\n' "$*"; }

step "Windows program (MinGW-w64, 32- and 64-bit) and its zips"
cmake --preset mingw32 >/dev/null && cmake --build --preset mingw32 && cpack --preset mingw32
cmake --preset mingw64 >/dev/null && cmake --build --preset mingw64 && cpack --preset mingw64

step "Debian package (release build)"
cmake --preset package >/dev/null && cmake --build --preset package && cpack --preset package

step "Browser program (Emscripten, WebGL 2)"
cmake --preset web >/dev/null && cmake --build --preset web

step "Build with warnings as errors"
cmake --preset ci >/dev/null && cmake --build --preset ci

step "Tests"
ctest --preset ci

step "AddressSanitizer and UBSan build"
cmake --preset asan >/dev/null && cmake --build --preset asan
ctest --preset asan

if [ -x scripts/fuzz.sh ]; then
  step "Fuzzing the bitmap loader"
  scripts/fuzz.sh "${HALDEN_FUZZ_SECONDS:-60}"
fi
