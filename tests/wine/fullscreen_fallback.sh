#!/usr/bin/env bash
# Yes at the start-up question under Wine on Xvfb, which has no 640 by 480
# 16-bit mode: ChangeDisplaySettingsA refuses the mode and the program asks
# whether to use a window instead. Yes there gives the windowed program (Esc
# ends it with 0); No gives "Program Will Now Close." and a failed start,
# before any window was made.
#
#   fullscreen_fallback.sh EXE PREFIX_STATE PIC_DIR
source "$(dirname "$0")/../harness/wine.sh"

exe=$1
state=$2
pic=$3

wine_select "$exe"
wine_use_prefix "$state"
e2e_start_display 1024x768x24 fresh
wine_trace_boxes

# Yes, then Yes: a 640 by 480 window with the windowed styles.
wine_start "$pic" "$exe"
viewer_answer "$VIEWER_START_BOX" yes 60
viewer_answer "$VIEWER_FALLBACK_BOX" yes
viewer_open "$VIEWER_TITLE"
window=$VIEWER_WINDOW
size=$(e2e_client_size "$window")
[ "$size" = 640x480 ] || e2e_fail "client area is $size, not 640x480"
viewer_settled_shot "$window" "$E2E_TMP/room.png"
viewer_escape "$window"
texts=$(wine_box_texts "$E2E_STDERR")
[ "$texts" = "$(printf '%s\n' "$VIEWER_START_TEXT" "$VIEWER_FALLBACK_TEXT" "$VIEWER_NOTICE_TEXT")" ] ||
  [ "$texts" = "$(printf '%s\n' "$VIEWER_START_TEXT" "$VIEWER_FALLBACK_TEXT")" ] ||
  e2e_fail "after Yes, Yes the boxes were:"$'\n'"$texts"

# Yes, then No: the program gives up before making a window.
wine_start "$pic" "$exe"
viewer_answer "$VIEWER_START_BOX" yes 60
viewer_answer "$VIEWER_FALLBACK_BOX" no
e2e_find_message_box "$VIEWER_ERROR_BOX" 10 >/dev/null
if e2e_window_titled "$VIEWER_TITLE" >/dev/null; then e2e_fail "a window was made after No"; fi
viewer_answer "$VIEWER_ERROR_BOX" ok
e2e_wait_exit "$E2E_PID" 20
[ "$E2E_EXIT_STATUS" != 0 ] || e2e_fail "the refused start ended with exit status 0"
[ "$E2E_EXIT_STATUS" != 124 ] || e2e_fail "the program did not end after \"$VIEWER_CLOSE_TEXT\""
texts=$(wine_box_texts "$E2E_STDERR")
[ "$texts" = "$(printf '%s\n' "$VIEWER_START_TEXT" "$VIEWER_FALLBACK_TEXT" "$VIEWER_CLOSE_TEXT")" ] ||
  e2e_fail "after Yes, No the boxes were:"$'\n'"$texts"
e2e_log "passed (exit status $E2E_EXIT_STATUS)"
