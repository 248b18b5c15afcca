#!/usr/bin/env bash
# The viewer in a window, as a user drives it: No at the start-up question
# gives a 640 by 480 window titled "Halden" showing the room; the arrow keys
# move and turn, N and D switch the lights (and the lamp's picture), B swaps
# the floor, F1 twice comes back to a window with the tutorial's title, and
# Esc ends the program with status 0.
#   viewer_windowed.sh HALDEN PIC_DIR
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/viewer_steps.sh"

binary=$1
pictures=$2
shots=$E2E_TMP

e2e_start_display 1024x768x24 fresh
viewer_start "$binary" "$pictures" Escape
viewer_dismiss_notice
viewer_find_window "Halden"
window=$VIEWER_WINDOW
read -r _ _ width height <<<"$(e2e_window_geometry "$window")"
[ "${width}x${height}" = 640x480 ] || e2e_fail "client area is ${width}x${height}, not 640x480"

viewer_shot "$window" "$shots/start.png"
colours=$(viewer_colours "$shots/start.png")
[ "$colours" -ge 100 ] || e2e_fail "the first picture has only $colours colours: no room drawn"

# One press, one swap of the floor, even held over many frames.
e2e_hold "$window" b 0.3
viewer_shot "$window" "$shots/bump.png"
viewer_expect_change "$shots/start.png" "$shots/bump.png" "B"
e2e_hold "$window" b
viewer_shot "$window" "$shots/floor.png"
viewer_expect_same "$shots/start.png" "$shots/floor.png" "B twice"

# The lights come on with the night lamp; D gives back the day picture.
e2e_hold "$window" n
viewer_shot "$window" "$shots/night.png"
viewer_expect_change "$shots/start.png" "$shots/night.png" "N"
# Lit, the white ceiling around the lamp falls dark.
day_top=$(viewer_top_brightness "$shots/start.png" 80)
night_top=$(viewer_top_brightness "$shots/night.png" 80)
awk -v day="$day_top" -v night="$night_top" 'BEGIN { exit !(night < 0.7 * day) }' ||
  e2e_fail "the ceiling is not darker with the lights on ($night_top against $day_top)"
e2e_hold "$window" d
viewer_shot "$window" "$shots/day.png"
viewer_expect_same "$shots/start.png" "$shots/day.png" "D after N"

e2e_hold "$window" Up
viewer_shot "$window" "$shots/forward.png"
viewer_expect_change "$shots/day.png" "$shots/forward.png" "Up"
e2e_hold "$window" Left
viewer_shot "$window" "$shots/turned.png"
viewer_expect_change "$shots/forward.png" "$shots/turned.png" "Left"

# The state F1 must carry over to the new window: moved, turned, lit, bump floor.
e2e_hold "$window" n
e2e_hold "$window" b
viewer_shot "$window" "$shots/before_f1.png"

# F1 asks for fullscreen; this display has no 640 by 480 mode, so the viewer
# offers a window instead, which clears the fullscreen wish, and the second
# F1 asks again.
viewer_press_closing "$window" F1
viewer_answer "Tarn GL" Return
viewer_dismiss_notice
e2e_wait_for 10 e2e_window_gone "$window" || e2e_fail "F1 left the first window open"
viewer_find_window "Tarn's Textures, Lighting & Keyboard Tutorial"
window=$VIEWER_WINDOW
viewer_press_closing "$window" F1
viewer_answer "Tarn GL" Return
viewer_dismiss_notice
e2e_wait_for 10 e2e_window_gone "$window" || e2e_fail "the second F1 left the window open"
viewer_find_window "Tarn's Textures, Lighting & Keyboard Tutorial"
window=$VIEWER_WINDOW
read -r _ _ width height <<<"$(e2e_window_geometry "$window")"
[ "${width}x${height}" = 640x480 ] || e2e_fail "reopened client area is ${width}x${height}"
viewer_shot "$window" "$shots/reopened.png"
viewer_expect_same "$shots/before_f1.png" "$shots/reopened.png" "after F1 twice"

viewer_press_closing "$window" Escape
e2e_wait_exit "$E2E_PID" 5
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "Esc ended the viewer with status $E2E_EXIT_STATUS"
e2e_log "passed"
