#!/usr/bin/env bash
# Yes at the start-up question on a display without a 640 by 480 mode: the
# viewer offers a window instead. Yes to that runs in a 640 by 480 window;
# No ends the program with "Program Will Now Close." and status 1.
#   viewer_fullscreen_fallback.sh HALDEN PIC_DIR
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/viewer_steps.sh"

e2e_start_display 1024x768x24 fresh

e2e_log "Yes to the window instead"
viewer_start "$1" "$2" Return
viewer_answer "Tarn GL" Return
viewer_dismiss_notice
viewer_find_window "Halden"
window=$VIEWER_WINDOW
read -r _ _ width height <<<"$(e2e_window_geometry "$window")"
[ "${width}x${height}" = 640x480 ] || e2e_fail "client area is ${width}x${height}, not 640x480"
viewer_press_closing "$window" Escape
e2e_wait_exit "$E2E_PID" 5
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "Esc ended the viewer with status $E2E_EXIT_STATUS"

e2e_log "No to the window instead"
viewer_start "$1" "$2" Return
viewer_answer "Tarn GL" Escape
viewer_answer "ERROR" Return
e2e_wait_exit "$E2E_PID" 5
[ "$E2E_EXIT_STATUS" -eq 1 ] || e2e_fail "the refused open ended with status $E2E_EXIT_STATUS, not 1"
e2e_log "passed"
