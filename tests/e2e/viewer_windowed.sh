#!/usr/bin/env bash
# The viewer in a window, as a user drives it: No at the start-up question
# gives a 640 by 480 window titled "Halden" showing the room; the arrow keys
# move and turn, N and D switch the lights (and the lamp's picture), B swaps
# the floor, F1 twice comes back to a window with the tutorial's title, and
# Esc ends the program with status 0.
#   viewer_windowed.sh HALDEN PIC_DIR
source "$(dirname "$0")/../harness/viewer.sh"

binary=$1
pictures=$2
shots=$E2E_TMP

check_size() {
  local size
  size=$(e2e_client_size "$1")
  [ "$size" = 640x480 ] || e2e_fail "$2 client area is $size, not 640x480"
}

# Mean brightness (0 to 1) of the top HEIGHT rows of a picture.
top_brightness() {
  convert "$1" -crop "x${2}+0+0" +repage -colorspace gray -format '%[fx:mean]' info:
}

e2e_start_display 1024x768x24 fresh
viewer_start "$pictures" "$binary"
viewer_answer "$VIEWER_START_BOX" no
viewer_open "$VIEWER_TITLE"
window=$VIEWER_WINDOW
check_size "$window" "the first"

viewer_shot "$window" "$shots/start.png"
viewer_room_drawn "$shots/start.png" ||
  e2e_fail "the first picture has only $(e2e_colours "$shots/start.png") colours: no room drawn"

# One press, one swap of the floor, even held over many frames.
e2e_hold "$window" b 0.3
viewer_shot "$window" "$shots/bump.png"
e2e_expect_differ "$shots/start.png" "$shots/bump.png" "B"
e2e_hold "$window" b
viewer_shot "$window" "$shots/floor.png"
e2e_expect_same "$shots/start.png" "$shots/floor.png" "B twice"

# The lights come on with the night lamp; D gives back the day picture.
e2e_hold "$window" n
viewer_shot "$window" "$shots/night.png"
e2e_expect_differ "$shots/start.png" "$shots/night.png" "N"
# Lit, the white ceiling around the lamp falls dark.
day_top=$(top_brightness "$shots/start.png" 80)
night_top=$(top_brightness "$shots/night.png" 80)
awk -v day="$day_top" -v night="$night_top" 'BEGIN { exit !(night < 0.7 * day) }' ||
  e2e_fail "the ceiling is not darker with the lights on ($night_top against $day_top)"
e2e_hold "$window" d
viewer_shot "$window" "$shots/day.png"
e2e_expect_same "$shots/start.png" "$shots/day.png" "D after N"

e2e_hold "$window" Up
viewer_shot "$window" "$shots/forward.png"
e2e_expect_differ "$shots/day.png" "$shots/forward.png" "Up"
e2e_hold "$window" Left
viewer_shot "$window" "$shots/turned.png"
e2e_expect_differ "$shots/forward.png" "$shots/turned.png" "Left"

# The state F1 must carry over to the new window: moved, turned, lit, bump floor.
e2e_hold "$window" n
e2e_hold "$window" b
viewer_shot "$window" "$shots/before_f1.png"

# F1 asks for fullscreen; this display has no 640 by 480 mode, so the viewer
# offers a window instead, which clears the fullscreen wish, and the second
# F1 asks again.
for pass in first second; do
  e2e_hold "$window" F1
  viewer_answer "$VIEWER_FALLBACK_BOX" yes
  e2e_wait_for 10 e2e_window_gone "$window" || e2e_fail "the $pass F1 left the window open"
  viewer_open "$VIEWER_REOPENED_TITLE"
  window=$VIEWER_WINDOW
done
check_size "$window" "the reopened"
viewer_shot "$window" "$shots/reopened.png"
e2e_expect_same "$shots/before_f1.png" "$shots/reopened.png" "after F1 twice"

viewer_escape "$window" 5
e2e_log "passed"
