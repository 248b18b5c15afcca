#!/usr/bin/env bash
# One windowed session of the Windows program under Wine, next to the Linux
# build on the same kind of screen: the start-up question answered No, the
# room as the Linux build draws it (lights off, lights on, bump floor), the
# arrow keys, F1 twice (the fullscreen mode is refused on Xvfb, so each F1
# brings the fallback question, answered Yes), and Esc with exit status 0.
#
#   session.sh EXE PREFIX_STATE PIC_DIR LINUX_HALDEN
source "$(dirname "$0")/../harness/wine.sh"

exe=$1
state=$2
pic=$3
linux=$4
shots=$E2E_TMP/shots
mkdir -p "$shots"

wine_select "$exe"
wine_use_prefix "$state"
e2e_start_display 1024x768x24 fresh
# B and F1 act on every press, and keys are held until their effect shows.
e2e_auto_repeat off

check_client_size() {
  local size
  size=$(e2e_client_size "$1")
  [ "$size" = 640x480 ] || e2e_fail "client area is $size, not 640x480"
}

viewer_linux_pictures "$linux" "$pic" "$shots"

# ---- The Windows program under Wine ----
wine_trace_boxes
wine_start "$pic" "$exe"
viewer_answer "$VIEWER_START_BOX" no 60
viewer_open "$VIEWER_TITLE"
window=$VIEWER_WINDOW
check_client_size "$window"
notice=$VIEWER_NOTICE
e2e_log "the probe's notice: $notice"

# Toggles: each picture is the Linux build's.
viewer_settled_shot "$window" "$shots/wine-day.png"
e2e_expect_same "$shots/wine-day.png" "$shots/linux-day.png" "the room against the Linux build's"
e2e_hold_for_picture "$window" n differ "$shots/wine-day.png" ||
  e2e_fail "N did not switch the lights on"
viewer_settled_shot "$window" "$shots/wine-night.png"
e2e_expect_same "$shots/wine-night.png" "$shots/linux-night.png" \
  "the lit room against the Linux build's"
e2e_hold_for_picture "$window" d same "$shots/wine-day.png" ||
  e2e_fail "D did not switch the lights off"
e2e_hold_for_picture "$window" b differ "$shots/wine-day.png" ||
  e2e_fail "B did not swap the floor"
viewer_settled_shot "$window" "$shots/wine-bump.png"
e2e_expect_same "$shots/wine-bump.png" "$shots/linux-bump.png" \
  "the bump floor against the Linux build's"
e2e_hold_for_picture "$window" b same "$shots/wine-day.png" ||
  e2e_fail "B did not swap the floor back"

# F1 twice: a new window, context and textures each time, the same room.
for pass in 1 2; do
  old=$window
  e2e_hold_until "$old" F1 20 e2e_box_showing "$VIEWER_FALLBACK_BOX" ||
    e2e_fail "F1 ($pass) did not bring the fallback question"
  e2e_check e2e_window_gone "$old" -- "F1 ($pass) left the old window open"
  viewer_answer "$VIEWER_FALLBACK_BOX" yes
  viewer_open "$VIEWER_REOPENED_TITLE"
  window=$VIEWER_WINDOW
  check_client_size "$window"
  [ "$VIEWER_NOTICE" = "$notice" ] ||
    e2e_fail "F1 ($pass): the probe's notice did not come as at start-up ($notice)"
  viewer_settled_shot "$window" "$shots/wine-f1-$pass.png"
  e2e_expect_same "$shots/wine-f1-$pass.png" "$shots/wine-day.png" \
    "F1 ($pass): the reopened window against the first"
done

# The arrows move and turn the camera as long as they are held, one step a
# frame, and Wine here draws far more frames a second than a display would
# show. Held until the picture changes, Up can carry the camera out through
# the far wall, where the view is black, and Down back past the room between
# two screenshots; so each arrow is pressed only for a moment at a time. The
# turns still come first, from inside the room, where turning shows.
before=$shots/wine-f1-2.png
for key in Right Left Up Down; do
  e2e_tap_until "$window" "$key" 40 e2e_window_picture_is "$window" differ "$before" ||
    e2e_fail "$key did not change the view"
  viewer_settled_shot "$window" "$shots/wine-$key.png" black-too
  before=$shots/wine-$key.png
done

viewer_escape "$window"

# The boxes, in order and word for word.
expected=("$VIEWER_START_TEXT")
[ "$notice" = notice ] && expected+=("$VIEWER_NOTICE_TEXT")
for pass in 1 2; do
  expected+=("$VIEWER_FALLBACK_TEXT")
  [ "$notice" = notice ] && expected+=("$VIEWER_NOTICE_TEXT")
done
diff <(printf '%s\n' "${expected[@]}") <(wine_box_texts "$E2E_STDERR") >&2 ||
  e2e_fail "the message boxes differ from the expected ones (< expected, > shown)"
e2e_log "passed"
