#!/usr/bin/env bash
# The Windows program under Wine with Pic/wall.bmp missing: the loader's
# "Error" box names the file, the window is gone when "Initialization
# Failed." follows, and the program ends with a non-zero status.
#
#   missing_picture.sh EXE PREFIX_STATE PIC_DIR
source "$(dirname "$0")/../harness/wine.sh"

exe=$1
state=$2
pic=$3

wine_select "$exe"
wine_use_prefix "$state"
e2e_start_display 1024x768x24 fresh
wine_trace_boxes

pictures=$E2E_TMP/Pic
cp -r "$pic" "$pictures"
rm "$pictures/wall.bmp"

wine_start "$pictures" "$exe"
viewer_answer "$VIEWER_START_BOX" no 60
e2e_find_window "$VIEWER_TITLE" 20 >/dev/null
# The probe runs before the pictures are loaded.
if e2e_wait_for 10 e2e_box_showing "$VIEWER_NOTICE_BOX" "$VIEWER_LOAD_ERROR_BOX" &&
  e2e_box_showing "$VIEWER_NOTICE_BOX"; then
  viewer_answer "$VIEWER_NOTICE_BOX" ok
fi
viewer_answer "$VIEWER_LOAD_ERROR_BOX" ok
e2e_find_message_box "$VIEWER_ERROR_BOX" 10 >/dev/null
if e2e_window_titled "$VIEWER_TITLE" >/dev/null; then
  e2e_fail "the window is still open while \"$VIEWER_INIT_FAILED_TEXT\" shows"
fi
viewer_answer "$VIEWER_ERROR_BOX" ok
e2e_wait_exit "$E2E_PID" 20
[ "$E2E_EXIT_STATUS" != 124 ] || e2e_fail "the program did not end after \"$VIEWER_INIT_FAILED_TEXT\""
[ "$E2E_EXIT_STATUS" != 0 ] || e2e_fail "the failed start ended with exit status 0"

expected=("$VIEWER_START_TEXT")
if wine_box_texts "$E2E_STDERR" | grep -qxF "$VIEWER_NOTICE_TEXT"; then
  expected+=("$VIEWER_NOTICE_TEXT")
fi
expected+=("$(viewer_open_failed_text Pic/wall.bmp)" "$VIEWER_INIT_FAILED_TEXT")
diff <(printf '%s\n' "${expected[@]}") <(wine_box_texts "$E2E_STDERR") >&2 ||
  e2e_fail "the message boxes differ from the expected ones (< expected, > shown)"
e2e_log "passed (exit status $E2E_EXIT_STATUS)"
