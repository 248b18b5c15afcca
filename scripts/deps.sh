#!/usr/bin/env bash
# Installs the Debian packages a task needs, only those that are missing.
# Usage: scripts/deps.sh run|test|windows|package|web
# Idempotent and quick when everything is already there.
set -euo pipefail

run_pkgs=(build-essential cmake ninja-build pkg-config libsdl2-dev libgl-dev libglu1-mesa-dev
          libegl-dev libgl1-mesa-dri libegl-mesa0 libglx-mesa0)
test_pkgs=("${run_pkgs[@]}" libgtest-dev libgmock-dev libbenchmark-dev libstb-dev
           clang libclang-rt-14-dev xvfb xdotool x11-utils imagemagick xfonts-base
           xauth procps valgrind python3 zlib1g-dev dpkg-dev desktop-file-utils unzip)
package_pkgs=("${run_pkgs[@]}" dpkg-dev)
windows_pkgs=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
              wine wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
              wine64 python3 icoutils unzip)
# The browser build (Emscripten; its optimiser needs Node's acorn) and the
# browser tests: headless Chromium driven by Debian's Python with Selenium,
# pictures through ImageMagick.
web_pkgs=(cmake ninja-build emscripten node-acorn chromium chromium-driver python3-selenium
          python3 imagemagick)

case "${1:-}" in
  run) want=("${run_pkgs[@]}") ;;
  test) want=("${test_pkgs[@]}") ;;
  windows) want=("${windows_pkgs[@]}") ;;
  package) want=("${package_pkgs[@]}") ;;
  web) want=("${web_pkgs[@]}") ;;
  *) echo "usage: $0 run|test|windows|package|web" >&2; exit 2 ;;
esac

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ "${1}" = windows ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}" >&2
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
