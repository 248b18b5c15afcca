#!/usr/bin/env bash
# Builds the viewer and runs it in the project's folder, where Pic/ is.
# Installs the Debian packages it needs first (apt-get; root or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release
exec ./build/release/halden "$@"
