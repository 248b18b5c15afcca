# shellcheck shell=bash
# Wine on the viewer harness (viewer.sh and x11.sh, which this sources): the
# Wine loader that fits a halden.exe, the throwaway Wine prefix, the skip where
# the 32-bit Wine cannot run, starting the program under Wine, Wine's trace of
# the message boxes it shows, and ending the prefix's Wine processes when the
# script exits.
#
#   source "$(dirname "$0")/../harness/wine.sh"
#
#   wine_pe_bits EXE         32 or 64, from the PE header's magic number; false
#                            for a file that is not a Windows program
#   wine_select EXE          sets WINE_LOADER and WINEARCH from the PE header
#                            (32-bit: wine, win32; 64-bit: wine64, win64); for a
#                            32-bit EXE on a host that cannot run the 32-bit Wine,
#                            ends the script as skipped (e2e_skip)
#   wine_make_prefix DIR     makes a fresh prefix in DIR (wineboot) and exports
#                            WINEPREFIX; wants a display
#   wine_use_prefix STATE    exports WINEPREFIX from the state file that the prefix
#                            fixture wrote (tests/wine/prefix.sh)
#   wine_end_prefix          ends the Wine processes of WINEPREFIX (its wineserver);
#                            runs at exit too
#   wine_start PICTURES EXE  runs EXE under Wine in a new working folder with Pic/
#                            copied from PICTURES (E2E_PID, E2E_WORKDIR...); its
#                            boxes take Wine's keys (viewer_answer)
#   wine_trace_boxes         programs started from now on write the texts of their
#                            message boxes to their stderr
#   wine_box_texts FILE      those texts, one a line, in the order shown
#
# Wine's own processes (wineserver, explorer.exe, services.exe) are not
# children of the script; they belong to the prefix and are ended through its
# wineserver, before the harness ends Xvfb.

# shellcheck source=viewer.sh
source "$(dirname "${BASH_SOURCE[0]}")/viewer.sh"

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts, and no menu entries on the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

WINE_LOADER=""
WINESERVER=/usr/lib/wine/wineserver

wine_end_prefix() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
}
e2e_on_exit wine_end_prefix

# The optional header's magic: 010b for PE32, 020b for PE32+. (awk reads all
# of objdump's output: ending the pipe early would fail it under pipefail.)
wine_pe_bits() {
  case $(objdump -p "$1" 2>/dev/null | awk '$1 == "Magic" && !seen {print $2; seen = 1}') in
    010b) echo 32 ;;
    020b) echo 64 ;;
    *) return 1 ;;
  esac
}

wine_select() {
  local exe=$1 bits
  [ -f "$exe" ] || e2e_fail "$exe is not built (scripts/test.sh builds it first; or" \
    "cmake --preset mingw32 && cmake --build --preset mingw32, mingw64 likewise)"
  bits=$(wine_pe_bits "$exe") || e2e_fail "$exe is not a Windows program"
  case $bits in
    32) WINE_LOADER=/usr/lib/wine/wine; export WINEARCH=win32 ;;
    64) WINE_LOADER=/usr/lib/wine/wine64; export WINEARCH=win64 ;;
  esac
  [ -e "$WINE_LOADER" ] || e2e_fail "$WINE_LOADER is missing: scripts/deps.sh windows"
  export WINELOADER=$WINE_LOADER
  if [ "$bits" = 32 ]; then _wine_require_i386; fi
}

# The 32-bit Wine is itself an i386 Linux program. Some x86-64 kernels are
# built or booted without i386 support (some virtual machines cannot offer
# it); there, only user-mode emulation could run it, and every Wine process
# then takes about a minute to start. Both cases are reported as skipped.
_wine_require_i386() {
  local entry
  if ! "$WINE_LOADER" --version >/dev/null 2>&1; then
    e2e_skip "this kernel cannot run 32-bit x86 programs, so the 32-bit Wine cannot start"
  fi
  for entry in /proc/sys/fs/binfmt_misc/*; do
    if [ -f "$entry" ] && grep -qx enabled "$entry" && grep -q '^magic 7f454c4601010100.*0300$' "$entry"; then
      e2e_skip "32-bit x86 programs run here only under emulation ($entry), far too slowly"
    fi
  done
}

wine_make_prefix() {
  local start=$SECONDS
  export WINEPREFIX=$1
  # On a 64-bit host without i386 support the prefix's 32-bit half cannot be
  # set up; Wine says so and goes on, and 64-bit programs run.
  "$WINE_LOADER" wineboot --init >"$E2E_TMP/wineboot.log" 2>&1 ||
    { cat "$E2E_TMP/wineboot.log" >&2; e2e_fail "wineboot --init failed"; }
  "$WINESERVER" -w
  [ -d "$WINEPREFIX/drive_c/windows/system32" ] ||
    { cat "$E2E_TMP/wineboot.log" >&2; e2e_fail "wineboot made no prefix in $WINEPREFIX"; }
  e2e_log "$WINEARCH prefix $WINEPREFIX made by wineboot --init in $((SECONDS - start)) s"
}

wine_use_prefix() {
  local state=$1
  [ -s "$state" ] || e2e_fail "no Wine prefix recorded in $state (the prefix fixture did not run)"
  WINEPREFIX=$(cat "$state")
  export WINEPREFIX
  [ -d "$WINEPREFIX/drive_c/windows" ] || e2e_fail "$WINEPREFIX is not a Wine prefix"
}

# Win32's Yes/No box is answered by its buttons' letters: Esc has no meaning
# there (Wine answers it with IDCANCEL).
wine_start() {
  local pictures=$1 exe
  exe=$(readlink -f "$2")
  viewer_use_keys y n Return
  e2e_start_program --copy-pic "$pictures" -- "$WINE_LOADER" "$exe"
}

wine_trace_boxes() { export WINEDEBUG=-all,+msgbox; }

# Wine's msgbox channel (WINEDEBUG=+msgbox) logs each box's text as it opens:
#   0024:trace:msgbox:MSGBOX_OnInit L"Initialization Failed."
wine_box_texts() {
  sed -n 's/^.*:trace:msgbox:MSGBOX_OnInit L"\(.*\)"$/\1/p' "$1"
}
