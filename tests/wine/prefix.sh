#!/usr/bin/env bash
# The throwaway Wine prefix that the Wine scenarios of one test run share:
# made fresh in a temporary folder before them and removed after them.
#
#   prefix.sh create EXE STATE   makes a prefix that can run EXE (32- or
#                                64-bit) and writes its path into STATE
#   prefix.sh remove STATE       ends its Wine processes and removes it
source "$(dirname "$0")/wine_lib.sh"

case "${1:-}" in
  create)
    exe=$2
    state=$3
    rm -f "$state"
    wine_select "$exe"
    root=$(mktemp -d "${TMPDIR:-/tmp}/halden-wine.XXXXXX")
    export WINEPREFIX=$root/prefix
    # wineboot starts Wine's desktop process, which wants a display.
    e2e_start_display 1024x768x24 fresh
    start=$SECONDS
    # On a 64-bit host without i386 support the prefix's 32-bit half cannot
    # be set up; Wine says so and goes on, and 64-bit programs run.
    "$WINE_LOADER" wineboot --init >"$E2E_TMP/wineboot.log" 2>&1 ||
      { cat "$E2E_TMP/wineboot.log" >&2; e2e_fail "wineboot --init failed"; }
    "$WINESERVER" -w
    [ -d "$WINEPREFIX/drive_c/windows/system32" ] ||
      { cat "$E2E_TMP/wineboot.log" >&2; e2e_fail "wineboot made no prefix in $WINEPREFIX"; }
    echo "$WINEPREFIX" >"$state"
    e2e_log "$WINEARCH prefix $WINEPREFIX made by wineboot --init in $((SECONDS - start)) s"
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
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    rm -rf "$root" "$state"
    unset WINEPREFIX
    ;;
  *)
    echo "usage: $0 create EXE STATE | remove STATE" >&2
    exit 2
    ;;
esac
