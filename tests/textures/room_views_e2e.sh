#!/usr/bin/env bash
# The real program in an X window with the committed pictures: the room by
# day, by night (N) and with the bump floor (D, then B), each screenshot
# checked for what the pictures must show there.
#
#   room_views_e2e.sh <halden binary> <Pic directory>
#
# With E2E_SHOTS=<dir> the three screenshots are also copied there.
source "$(dirname "$0")/../e2e/lib.sh"

binary=$1
pictures=$2

e2e_start_display 1024x768x24 fresh
e2e_start_program --pic "$pictures" -- "$binary"

# Windowed (Escape answers No), then the probe's notice if the driver offers
# multitexturing.
e2e_key "$(e2e_find_message_box "Start FullScreen?")" Escape
window=$(e2e_find_window "Halden" 15)
if box=$(e2e_wait_for 3 _e2e_search_box "feature supported!" >/dev/null &&
  _e2e_search_box "feature supported!"); then
  e2e_key "$((box))" Return
fi

read -r wx wy ww wh <<<"$(e2e_window_geometry "$window")"
e2e_check [ "$ww" -eq 640 ] -- "client area is ${ww}x${wh}, not 640x480"
e2e_check [ "$wh" -eq 480 ] -- "client area is ${ww}x${wh}, not 640x480"

# Screenshot of the client area only.
shoot() {
  e2e_screenshot "$E2E_TMP/screen.png"
  convert "$E2E_TMP/screen.png" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$E2E_TMP/$1.png"
  if [ -n "${E2E_SHOTS:-}" ]; then
    mkdir -p "$E2E_SHOTS"
    cp "$E2E_TMP/$1.png" "$E2E_SHOTS/$1.png"
  fi
}

# Shoots NAME until the box BOX (X Y W H) satisfies CONDITION, so that the
# frames have caught up with the last key (10 s at most).
shoot_when() {
  local name=$1 box=$2 condition=$3 deadline=$((SECONDS + 10))
  while true; do
    shoot "$name"
    # shellcheck disable=SC2086
    holds "$(mean "$E2E_TMP/$name.png" $box)" "$condition" && return 0
    [ "$SECONDS" -ge "$deadline" ] && return 0  # the checks below say what is wrong
    sleep 0.2
  done
}

# The controls act on keys held during a frame step: press, hold a moment
# (less than the auto-repeat delay, since B acts on every key-down), release.
press() {
  local key
  for key in "$@"; do
    e2e_key_down "$key"
    sleep 0.25
    e2e_key_up "$key"
  done
}

# Mean "R G B" of a W x H box at X, Y of a screenshot (top-left origin).
mean() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -scale 1x1\! -format \
    "%[fx:int(255*p{0,0}.r+0.5)] %[fx:int(255*p{0,0}.g+0.5)] %[fx:int(255*p{0,0}.b+0.5)]" info:
}

# Checks that "R G B" satisfies an arithmetic condition on r, g and b.
holds() {
  local r g b
  read -r r g b <<<"$1"
  (($2))
}

expect() {
  local what=$1 colour=$2 condition=$3
  holds "$colour" "$condition" || e2e_fail "$what: $colour does not satisfy $condition"
  e2e_log "$what: $colour"
}

# Screen boxes of the starting view (640 by 480, top-left origin).
floor="300 430 40 40"     # tiles and grout just ahead, below the middle
ceiling="280 40 80 20"    # plaster between the two nearest lamps
lamp="310 142 20 6"       # the far lamp, above the end of the room
panel="560 200 40 40"     # the plain panel on the right
wall="20 200 40 60"       # the wallpaper on the left
boards="600 400 20 40"    # the lower ledge's boards on the right

e2e_focus "$window"
shoot_when day "$panel" 'r > 245'
day=$E2E_TMP/day.png
expect "day floor is pink" "$(mean "$day" $floor)" 'r > g + 30 && r > b + 20 && g > 100'
expect "day ceiling is light plaster" "$(mean "$day" $ceiling)" 'r > 200 && g > 200 && b > 190'
expect "day lamp is unlit gray glass" "$(mean "$day" $lamp)" 'b >= r - 12 && r < 235 && r > 120'
expect "day panel is white" "$(mean "$day" $panel)" 'r > 245 && g > 245 && b > 245'
expect "wallpaper is cream" "$(mean "$day" $wall)" 'r > 200 && g > 180 && b < r - 15'
expect "lower ledge is wood" "$(mean "$day" $boards)" 'r > g + 20 && g > b + 10 && r < 200'

press n
shoot_when night "$panel" 'r < 40'
night=$E2E_TMP/night.png
read -r day_r day_g day_b <<<"$(mean "$day" $ceiling)"
expect "night panel is dark" "$(mean "$night" $panel)" 'r < 40 && g < 40 && b < 40'
expect "night ceiling is dark" "$(mean "$night" $ceiling)" "r + g + b < ($day_r + $day_g + $day_b) / 2"
read -r sky_r sky_g sky_b <<<"$(mean "$night" $ceiling)"
expect "night lamp glows warm above the dark ceiling" "$(mean "$night" $lamp)" \
  "r > b + 25 && r + g + b > ($sky_r + $sky_g + $sky_b) * 3 / 2"
expect "night floor is still pink" "$(mean "$night" $floor)" 'r > g + 20 && r > b + 10'

press d b
shoot_when bump "$floor" 'r - g < 6 && g - r < 6'
bump=$E2E_TMP/bump.png
expect "bump floor is a half-intensity gray" "$(mean "$bump" $floor)" \
  'r - g < 6 && g - r < 6 && g - b < 6 && b - g < 6 && r > 40 && r < 130'
expect "bump view is by day again" "$(mean "$bump" $panel)" 'r > 245'

press Escape
e2e_wait_exit "$E2E_PID" 10
e2e_check [ "$E2E_EXIT_STATUS" -eq 0 ] -- "the program ended with status $E2E_EXIT_STATUS"
e2e_log "room views ok"
