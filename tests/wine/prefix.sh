#!/usr/bin/env bash
# The throwaway Wine prefix that the Wine scenarios of one test run share:
# made fresh in a temporary folder before them and removed after them.
#
#   prefix.sh create EXE STATE   makes a prefix that can run EXE (32- or
#                                64-bit) and writes its path into STATE
#   prefix.sh remove STATE       ends its Wine processes and removes it
source "$(dirname "$0")/../harness/wine.sh"

case "${1:-}" in
  create)
    exe=$2
    state=$3
    rm -f "$state"
    wine_select "$exe"
    root=$(mktemp -d "${TMPDIR:-/tmp}/halden-wine.XXXXXX")
    # wineboot starts Wine's desktop process, which wants a display.
    e2e_start_display 1024x768x24 fresh
    wine_make_prefix "$root/prefix"
    echo "$WINEPREFIX" >"$state"
    ;;
  remove)
    state=$2
    [ -s "$state" ] || exit 0
    WINEPREFIX=$(cat "$state")
    export WINEPREFIX
    root=$(dirname "$WINEPREFIX")
    case $root in
      */halden-wine.*) ;;
      *) e2e_fail "refusing to remove $root: not a prefix folder of these tests" ;;
    esac
    wine_end_prefix
    rm -rf "$root" "$state"
    unset WINEPREFIX
    ;;
  *)
    echo "usage: $0 create EXE STATE | remove STATE" >&2
    exit 2
    ;;
esac
