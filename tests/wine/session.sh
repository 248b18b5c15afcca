#!/usr/bin/env bash
# One windowed session of the Windows program under Wine, next to the Linux
# build on the same kind of screen: the start-up question answered No, the
# room as the Linux build draws it (lights off, lights on, bump floor), the
# arrow keys, F1 twice (the fullscreen mode is refused on Xvfb, so each F1
# brings the fallback question, answered Yes), and Esc with exit status 0.
#
#   session.sh EXE PREFIX_STATE PIC_DIR LINUX_HALDEN
source "$(dirname "$0")/wine_lib.sh"

exe=$1
state=$2
pic=$3
linux=$4
shots=$E2E_TMP/shots
mkdir -p "$shots"

wine_select "$exe"
wine_use_prefix "$state"
wine_start_display

reopened_title="Tarn's Textures, Lighting & Keyboard Tutorial"

check_client_size() {
  local size
  size=$(wine_client_size "$1")
  [ "$size" = 640x480 ] || e2e_fail "client area is $size, not 640x480"
}

wine_linux_pictures "$linux" "$pic" "$shots"

# ---- The Windows program under Wine ----
export WINEDEBUG=-all,+msgbox
wine_start_program "$pic" "$exe"
wine_pid=$E2E_PID
wine_answer "Start FullScreen?" n 60
window=$(e2e_find_window Halden 20)
check_client_size "$window"
notice=$(wine_notice_or_room "$window")
e2e_log "the probe's notice: $notice"

# Toggles: each picture is the Linux build's.
wine_settled_shot "$window" "$shots/wine-day.png"
e2e_check wine_same "$shots/wine-day.png" "$shots/linux-day.png" -- \
  "the room differs from the Linux build's (see $shots)"
wine_hold_for_picture "$window" n differ "$shots/wine-day.png" ||
  e2e_fail "N did not switch the lights on"
wine_settled_shot "$window" "$shots/wine-night.png"
e2e_check wine_same "$shots/wine-night.png" "$shots/linux-night.png" -- \
  "the lit room differs from the Linux build's (see $shots)"
wine_hold_for_picture "$window" d same "$shots/wine-day.png" ||
  e2e_fail "D did not switch the lights off"
wine_hold_for_picture "$window" b differ "$shots/wine-day.png" ||
  e2e_fail "B did not swap the floor"
wine_settled_shot "$window" "$shots/wine-bump.png"
e2e_check wine_same "$shots/wine-bump.png" "$shots/linux-bump.png" -- \
  "the bump floor differs from the Linux build's (see $shots)"
wine_hold_for_picture "$window" b same "$shots/wine-day.png" ||
  e2e_fail "B did not swap the floor back"

# F1 twice: a new window, context and textures each time, the same room.
for pass in 1 2; do
  old=$window
  wine_hold_key "$old" F1 20 wine_box_showing "Tarn GL" ||
    e2e_fail "F1 ($pass) did not bring the fallback question"
  e2e_check e2e_window_gone "$old" -- "F1 ($pass) left the old window open"
  wine_answer "Tarn GL" y
  window=$(e2e_find_window "$reopened_title" 20)
  check_client_size "$window"
  [ "$(wine_notice_or_room "$window")" = "$notice" ] ||
    e2e_fail "F1 ($pass): the probe's notice did not come as at start-up ($notice)"
  wine_settled_shot "$window" "$shots/wine-f1-$pass.png"
  e2e_check wine_same "$shots/wine-f1-$pass.png" "$shots/wine-day.png" -- \
    "F1 ($pass): the reopened window does not show the same room"
done

# The arrows move and turn the camera as long as they are held, one step a
# frame, and Wine here draws far more frames a second than a display would
# show. Held until the picture changes, Up can carry the camera out through
# the far wall, where the view is black, and Down back past the room between
# two screenshots; so each arrow is pressed only for a moment at a time. The
# turns still come first, from inside the room, where turning shows.
before=$shots/wine-f1-2.png
for key in Right Left Up Down; do
  wine_nudge_for_picture "$window" "$key" "$before" ||
    e2e_fail "$key did not change the view"
  wine_settled_shot "$window" "$shots/wine-$key.png" black-too
  before=$shots/wine-$key.png
done

wine_hold_key "$window" Escape 20 _e2e_exited "$wine_pid" || e2e_fail "Esc did not end the program"
e2e_wait_exit "$wine_pid" 10
[ "$E2E_EXIT_STATUS" = 0 ] || e2e_fail "exit status $E2E_EXIT_STATUS after Esc, not 0"

# The boxes, in order and word for word.
question="Would You Like To Run In Fullscreen Mode?"
fallback='The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?'
probe="The GL_ARB_multitexture extension will be used."
expected=("$question")
[ "$notice" = notice ] && expected+=("$probe")
for pass in 1 2; do
  expected+=("$fallback")
  [ "$notice" = notice ] && expected+=("$probe")
done
diff <(printf '%s\n' "${expected[@]}") <(wine_box_texts "$E2E_STDERR") >&2 ||
  e2e_fail "the message boxes differ from the expected ones (< expected, > shown)"
e2e_log "passed"
