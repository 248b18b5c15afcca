#!/usr/bin/env bash
# The Windows zip as a person uses it: unpacked into a fresh folder, and its
# own halden.exe run with its own Pic/ under Wine through the windowed
# session of the Wine tests (start-up question, the room as the Linux build
# draws it, the keys, F1 twice, Esc with exit status 0).
#
#   zip_session.sh ZIP PREFIX_STATE LINUX_HALDEN
set -euo pipefail

zip=$(readlink -f "$1")
state=$2
linux=$3
[ -f "$zip" ] || { echo "FAIL: $1 is not built (cmake --workflow --preset mingw64)" >&2; exit 1; }

unpacked=$(mktemp -d "${TMPDIR:-/tmp}/halden-unzipped.XXXXXX")
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked"
folder=$(find "$unpacked" -mindepth 1 -maxdepth 1 -type d)
[ -f "$folder/halden.exe" ] && [ -d "$folder/Pic" ] ||
  { echo "FAIL: $zip unpacks to no folder with halden.exe and Pic/" >&2; exit 1; }
echo "unpacked $(basename "$zip") into $folder" >&2
bash "$(dirname "$0")/../wine/session.sh" "$folder/halden.exe" "$state" "$folder/Pic" "$linux"
