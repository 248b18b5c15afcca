#!/usr/bin/env bash
# The Windows program under Wine, in an X window on Xvfb, through twenty F1
# reopenings: it starts windowed (the start-up question answered No), each F1
# closes its window and opens the next one (alternately fullscreen and
# windowed; Wine's boxes are answered as they come: the probe's notice OK,
# the fullscreen fallback question Yes), and a final Esc ends it with status
# 0. No crash, no error box, and a new window every time.
#
#   wine_reopen.sh EXE PIC_DIR [REOPENINGS=20]
#
# The Wine prefix is made for the run in its temporary folder (wineboot),
# unless WINEPREFIX names an existing one. A 32-bit EXE needs a kernel that
# runs i386 programs; without one the script reports a skip (status 77).
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/soak_lib.sh"

exe=$(readlink -f "$1")
pictures=$2
reopenings=${3:-20}

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts, and no menu entries on the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# The PE header's magic number tells a 32-bit program from a 64-bit one.
[ -f "$exe" ] || e2e_fail "$exe is not built (cmake --preset mingw32 && cmake --build --preset mingw32)"
case $(objdump -p "$exe" | awk '$1 == "Magic" && !seen {print $2; seen = 1}') in
  010b) loader=/usr/lib/wine/wine; export WINEARCH=win32 ;;
  020b) loader=/usr/lib/wine/wine64; export WINEARCH=win64 ;;
  *) e2e_fail "$exe is not a Windows program" ;;
esac
wineserver=/usr/lib/wine/wineserver
[ -e "$loader" ] || e2e_fail "$loader is missing (scripts/deps.sh windows)"

# The 32-bit Wine is an i386 Linux program: a kernel without i386 support
# cannot start it, and user-mode emulation runs it far too slowly (about a
# minute per Wine process). Both are a skip (status 77), not a failure.
skip() {
  e2e_log "SKIP: $*"
  trap - EXIT  # nothing started yet, nothing to keep
  rm -rf "$E2E_TMP"
  exit 77
}
if ! "$loader" --version >/dev/null 2>&1; then
  skip "$loader cannot run on this kernel (no i386 support)"
fi
if [ "$WINEARCH" = win32 ]; then
  for entry in /proc/sys/fs/binfmt_misc/*; do
    if [ -f "$entry" ] && grep -qx enabled "$entry" &&
      grep -q '^magic 7f454c4601010100.*0300$' "$entry"; then
      skip "i386 programs run here only under emulation ($entry)"
    fi
  done
fi

# Wine's own processes (wineserver, explorer.exe) belong to the prefix, not
# to this script: they are ended through its wineserver before the harness
# ends Xvfb.
_wine_cleanup() {
  local status=$?
  set +e
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    "$wineserver" -k >/dev/null 2>&1
    "$wineserver" -w >/dev/null 2>&1
  fi
  (exit "$status")
  _e2e_cleanup
}
trap _wine_cleanup EXIT

e2e_start_display 1024x768x24 fresh
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$E2E_TMP/prefix
  soak_log "making a $WINEARCH prefix"
  "$loader" wineboot -i >"$E2E_TMP/wineboot.log" 2>&1 ||
    e2e_fail "wineboot failed: $(tail -n 5 "$E2E_TMP/wineboot.log")"
  "$wineserver" -w
fi

# Wine's windows are the program's: the box captions tell them apart.
# A box takes keys once it has the focus; the key is typed again until the
# box has gone. A Yes/No box is answered by its buttons' letters: Win32
# gives Esc no meaning there (Wine answers it with IDCANCEL).
answer() {
  local id=$1 key=$2 deadline=$((SECONDS + 60))
  while ! e2e_window_gone "$id"; do
    [ "$SECONDS" -lt "$deadline" ] || e2e_fail "a box does not take the key $key"
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    xdotool key --window "$id" "$key" 2>/dev/null || true
    e2e_wait_for 5 e2e_window_gone "$id" || true
  done
}

# Answers the boxes on the screen; true when there was one.
answer_boxes() {
  local caption id answered=1
  for caption in "Start FullScreen?" "feature supported!" "Tarn GL" "ERROR" "SHUTDOWN ERROR" "Error"; do
    id=$(_e2e_search_box "$caption") || continue
    case "$caption" in
      "Start FullScreen?") answer "$((id))" n ;;
      "feature supported!") answer "$((id))" Return; SOAK_PROBE_BOXES=$((SOAK_PROBE_BOXES + 1)) ;;
      "Tarn GL") answer "$((id))" y; SOAK_FALLBACK_BOXES=$((SOAK_FALLBACK_BOXES + 1)) ;;
      *) e2e_screenshot "$E2E_TMP/error-box.png" || true
         e2e_fail "message box \"$caption\" (screenshot in $E2E_TMP/error-box.png)" ;;
    esac
    soak_log "answered \"$caption\""
    return 0
  done
  return 1
}

check_alive() {
  if _e2e_exited "$E2E_PID"; then
    e2e_wait_exit "$E2E_PID" 1
    e2e_fail "the program ended by itself with status $E2E_EXIT_STATUS after $done reopenings"
  fi
}

# Answers boxes until the program shows a window other than $1 and, for a
# second, no box (the probe's notice comes after the window), then sets
# $window; fails when that takes more than a minute.
wait_for_window() {
  local deadline=$((SECONDS + 60)) quiet_since=""
  window=""
  while [ "$SECONDS" -lt "$deadline" ]; do
    check_alive
    if answer_boxes; then
      quiet_since=""
      continue
    fi
    soak_find_program_window
    if [ -n "$SOAK_WINDOW" ] && [ "$SOAK_WINDOW" != "${1:-}" ]; then
      [ -n "$quiet_since" ] || quiet_since=$SECONDS
      if [ $((SECONDS - quiet_since)) -ge 1 ]; then
        window=$SOAK_WINDOW
        return 0
      fi
    fi
    sleep 0.3
  done
  e2e_fail "no new program window after $done reopenings"
}

# F1's close destroys the window before anything else shows.
closed() { e2e_window_gone "$1" || _e2e_exited "$E2E_PID"; }
program_ended() { _e2e_exited "$E2E_PID"; }

# One key press per reopening: the key is held until the program has acted
# on it, so no auto-repeat.
soak_auto_repeat off
done=0
e2e_start_program --copy-pic "$pictures" -- "$loader" "$exe"
wait_for_window
soak_log "window $window"
while [ "$done" -lt "$reopenings" ]; do
  sleep 0.5  # a few frames
  e2e_focus "$window" 2>/dev/null || true
  soak_press_until "$window" F1 60 closed "$window" ||
    e2e_fail "F1 did not close the window after $done reopenings"
  previous=$window
  wait_for_window "$previous"
  done=$((done + 1))
  soak_log "reopening $done: window $window"
done

sleep 1
e2e_focus "$window" 2>/dev/null || true
soak_press_until "$window" Escape 60 program_ended || true
e2e_wait_exit "$E2E_PID" 30
[ "$E2E_EXIT_STATUS" -eq 0 ] ||
  e2e_fail "the program ended with status $E2E_EXIT_STATUS after Esc"
printf 'wine %s: %s reopenings, %s probe notices, %s fallback questions; exit status 0\n' \
  "$WINEARCH" "$done" "$SOAK_PROBE_BOXES" "$SOAK_FALLBACK_BOXES"
