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
source "$(dirname "$0")/../harness/wine.sh"

exe=$1
pictures=$2
reopenings=${3:-20}

wine_select "$exe"
e2e_start_display 1024x768x24 fresh
if [ -z "${WINEPREFIX:-}" ]; then wine_make_prefix "$E2E_TMP/prefix"; fi

check_alive() {
  if e2e_exited "$E2E_PID"; then
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
    viewer_answer_boxes
    if [ "$VIEWER_ANSWERED" -gt 0 ]; then
      quiet_since=""
      continue
    fi
    viewer_current_window
    if [ -n "$VIEWER_WINDOW" ] && [ "$VIEWER_WINDOW" != "${1:-}" ]; then
      [ -n "$quiet_since" ] || quiet_since=$SECONDS
      if [ $((SECONDS - quiet_since)) -ge 1 ]; then
        window=$VIEWER_WINDOW
        return 0
      fi
    fi
    sleep 0.3
  done
  e2e_fail "no new program window after $done reopenings"
}

# F1's close destroys the window before anything else shows.
closed() { e2e_window_gone "$1" || e2e_exited "$E2E_PID"; }

# One key press per reopening: the key is held until the program has acted
# on it, so no auto-repeat.
e2e_auto_repeat off
done=0
wine_start "$pictures" "$exe"
wait_for_window
e2e_log "window $window"
while [ "$done" -lt "$reopenings" ]; do
  sleep 0.5  # a few frames
  e2e_focus "$window" 2>/dev/null || true
  e2e_hold_until "$window" F1 60 closed "$window" ||
    e2e_fail "F1 did not close the window after $done reopenings"
  previous=$window
  wait_for_window "$previous"
  done=$((done + 1))
  e2e_log "reopening $done: window $window"
done

sleep 1
e2e_focus "$window" 2>/dev/null || true
e2e_hold_until "$window" Escape 60 e2e_exited "$E2E_PID" || true
e2e_wait_exit "$E2E_PID" 30
[ "$E2E_EXIT_STATUS" -eq 0 ] ||
  e2e_fail "the program ended with status $E2E_EXIT_STATUS after Esc"
printf 'wine %s: %s reopenings, %s probe notices, %s fallback questions; exit status 0\n' \
  "$WINEARCH" "$done" "$VIEWER_NOTICE_BOXES" "$VIEWER_FALLBACK_BOXES"
