#!/usr/bin/env bash
# The real program in an X window with the committed pictures: the room by
# day, by night (N) and with the bump floor (D, then B), each screenshot
# checked for what the pictures must show there.
#
#   room_views_e2e.sh <halden binary> <Pic directory>
#
# With E2E_SHOTS=<dir> the three screenshots are also copied there.
source "$(dirname "$0")/../harness/viewer.sh"

binary=$1
pictures=$2

e2e_start_display 1024x768x24 fresh
viewer_start "$pictures" "$binary"
viewer_answer "$VIEWER_START_BOX" no
viewer_open "$VIEWER_TITLE"
window=$VIEWER_WINDOW
size=$(e2e_client_size "$window")
e2e_check [ "$size" = 640x480 ] -- "client area is $size, not 640x480"

# Screenshot of the client area only.
shoot() {
  e2e_window_shot "$window" "$E2E_TMP/$1.png" || e2e_fail "the window has gone"
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
    holds "$(e2e_colour "$E2E_TMP/$name.png" $box)" "$condition" && return 0
    [ "$SECONDS" -ge "$deadline" ] && return 0  # the checks below say what is wrong
    sleep 0.2
  done
}

# The controls act on keys held during a frame step: press, hold a moment
# (less than the auto-repeat delay, since B acts on every key-down), release.
press() {
  local key
  for key in "$@"; do e2e_hold "$window" "$key" 0.25; done
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
expect "day floor is pink" "$(e2e_colour "$day" $floor)" 'r > g + 30 && r > b + 20 && g > 100'
expect "day ceiling is light plaster" "$(e2e_colour "$day" $ceiling)" 'r > 200 && g > 200 && b > 190'
expect "day lamp is unlit gray glass" "$(e2e_colour "$day" $lamp)" 'b >= r - 12 && r < 235 && r > 120'
expect "day panel is white" "$(e2e_colour "$day" $panel)" 'r > 245 && g > 245 && b > 245'
expect "wallpaper is cream" "$(e2e_colour "$day" $wall)" 'r > 200 && g > 180 && b < r - 15'
expect "lower ledge is wood" "$(e2e_colour "$day" $boards)" 'r > g + 20 && g > b + 10 && r < 200'

press n
shoot_when night "$panel" 'r < 40'
night=$E2E_TMP/night.png
read -r day_r day_g day_b <<<"$(e2e_colour "$day" $ceiling)"
expect "night panel is dark" "$(e2e_colour "$night" $panel)" 'r < 40 && g < 40 && b < 40'
expect "night ceiling is dark" "$(e2e_colour "$night" $ceiling)" "r + g + b < ($day_r + $day_g + $day_b) / 2"
read -r sky_r sky_g sky_b <<<"$(e2e_colour "$night" $ceiling)"
expect "night lamp glows warm above the dark ceiling" "$(e2e_colour "$night" $lamp)" \
  "r > b + 25 && r + g + b > ($sky_r + $sky_g + $sky_b) * 3 / 2"
expect "night floor is still pink" "$(e2e_colour "$night" $floor)" 'r > g + 20 && r > b + 10'

press d b
shoot_when bump "$floor" 'r - g < 6 && g - r < 6'
bump=$E2E_TMP/bump.png
expect "bump floor is a half-intensity gray" "$(e2e_colour "$bump" $floor)" \
  'r - g < 6 && g - r < 6 && g - b < 6 && b - g < 6 && r > 40 && r < 130'
expect "bump view is by day again" "$(e2e_colour "$bump" $panel)" 'r > 245'

viewer_escape "$window" 10
e2e_log "room views ok"
