#!/usr/bin/env bash
# Builds the viewer and runs it in the project's folder, where Pic/ is.
# Installs the Debian packages it needs first (apt-get; root or sudo).
#
#   scripts/run.sh        the native viewer
#   scripts/run.sh web    the viewer in a browser: builds build/web and serves
#                         it on 127.0.0.1 (port HALDEN_WEB_PORT, default 8000)
#                         until Ctrl+C; open the address it prints
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = web ]; then
  scripts/deps.sh web
  cmake --preset web >/dev/null
  cmake --build --preset web
  port=${HALDEN_WEB_PORT:-8000}
  echo
  echo "Halden in a browser: open http://127.0.0.1:${port}/halden.html"
  echo "(Ctrl+C stops the server)"
  exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build/web
fi

scripts/deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release
exec ./build/release/halden "$@"
