#!/usr/bin/env bash
# Yes at the start-up question on a display without a 640 by 480 mode: the
# viewer offers a window instead. Yes to that runs in a 640 by 480 window;
# No ends the program with "Program Will Now Close." and status 1.
#   viewer_fullscreen_fallback.sh HALDEN PIC_DIR
source "$(dirname "$0")/../harness/viewer.sh"

e2e_start_display 1024x768x24 fresh

e2e_log "Yes to the window instead"
viewer_start "$2" "$1"
viewer_answer "$VIEWER_START_BOX" yes
viewer_answer "$VIEWER_FALLBACK_BOX" yes
viewer_open "$VIEWER_TITLE"
window=$VIEWER_WINDOW
size=$(e2e_client_size "$window")
[ "$size" = 640x480 ] || e2e_fail "client area is $size, not 640x480"
viewer_escape "$window" 5

e2e_log "No to the window instead"
viewer_start "$2" "$1"
viewer_answer "$VIEWER_START_BOX" yes
viewer_answer "$VIEWER_FALLBACK_BOX" no
viewer_answer "$VIEWER_ERROR_BOX" ok
e2e_wait_exit "$E2E_PID" 5
[ "$E2E_EXIT_STATUS" -eq 1 ] || e2e_fail "the refused open ended with status $E2E_EXIT_STATUS, not 1"
e2e_log "passed"
