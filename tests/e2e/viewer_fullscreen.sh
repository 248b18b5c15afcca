#!/usr/bin/env bash
# Yes at the start-up question on a display whose mode is 640 by 480: the
# viewer covers the screen with the room, and Esc gives the desktop back
# (status 0, the window gone, the screen still 640 by 480).
#   viewer_fullscreen.sh HALDEN PIC_DIR
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/viewer_steps.sh"

e2e_start_display 640x480x24 fresh
viewer_start "$1" "$2" Return
viewer_dismiss_notice
if xwininfo -root -tree 2>/dev/null | grep -qF '"Tarn GL":'; then
  e2e_fail "the 640 by 480 mode was refused"
fi
viewer_find_window "Halden"
window=$VIEWER_WINDOW
read -r x y width height <<<"$(e2e_window_geometry "$window")"
[ "$x $y $width $height" = "0 0 640 480" ] || e2e_fail "window covers $width x $height at $x,$y"

e2e_screenshot "$E2E_TMP/screen.png"
colours=$(viewer_colours "$E2E_TMP/screen.png")
[ "$colours" -ge 100 ] || e2e_fail "the screen has only $colours colours: no room drawn"

viewer_press_closing "$window" Escape
e2e_wait_exit "$E2E_PID" 5
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "Esc ended the viewer with status $E2E_EXIT_STATUS"
e2e_window_gone "$window" || e2e_fail "the window outlived the program"
screen=$(xdpyinfo | awk '/dimensions:/ {print $2}')
[ "$screen" = 640x480 ] || e2e_fail "the desktop is left at $screen"
e2e_log "passed"
