#!/usr/bin/env bash
# Yes at the start-up question on a display whose mode is 640 by 480: the
# viewer covers the screen with the room, and Esc gives the desktop back
# (status 0, the window gone, the screen still 640 by 480).
#   viewer_fullscreen.sh HALDEN PIC_DIR
source "$(dirname "$0")/../harness/viewer.sh"

e2e_start_display 640x480x24 fresh
viewer_start "$2" "$1"
viewer_answer "$VIEWER_START_BOX" yes
# A refused mode asks for a window instead before any window is made.
opened() { e2e_box_showing "$VIEWER_FALLBACK_BOX" || e2e_window_titled "$VIEWER_TITLE" >/dev/null; }
e2e_wait_for 20 opened || e2e_fail "no window titled \"$VIEWER_TITLE\""
if e2e_box_showing "$VIEWER_FALLBACK_BOX"; then
  e2e_fail "the 640 by 480 mode was refused"
fi
viewer_open "$VIEWER_TITLE"
window=$VIEWER_WINDOW
geometry=$(e2e_window_geometry "$window")
[ "$geometry" = "0 0 640 480" ] || e2e_fail "the window is at $geometry, not 0 0 640 480"

e2e_screenshot "$E2E_TMP/screen.png"
viewer_room_drawn "$E2E_TMP/screen.png" ||
  e2e_fail "the screen has only $(e2e_colours "$E2E_TMP/screen.png") colours: no room drawn"

viewer_escape "$window" 5
e2e_window_gone "$window" || e2e_fail "the window outlived the program"
screen=$(xdpyinfo | awk '/dimensions:/ {print $2}')
[ "$screen" = 640x480 ] || e2e_fail "the desktop is left at $screen"
e2e_log "passed"
