#!/usr/bin/env bash
# A close request from the viewer's window (the window manager's close
# button) ends the program as Esc does: at once and with status 0.
#   viewer_close_request.sh HALDEN PIC_DIR
source "$(dirname "$0")/../harness/viewer.sh"

e2e_start_display 1024x768x24 fresh
viewer_start "$2" "$1"
viewer_answer "$VIEWER_START_BOX" no
viewer_open "$VIEWER_TITLE"
window=$VIEWER_WINDOW
viewer_shot "$window" "$E2E_TMP/room.png"

e2e_request_close "$window"
e2e_wait_exit "$E2E_PID" 5
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "the close request ended the viewer with status $E2E_EXIT_STATUS"
e2e_window_gone "$window" || e2e_fail "the window outlived the program"
e2e_log "passed"
