# shellcheck shell=bash
# Halden on the X11 harness (x11.sh, which this sources): the programs'
# titles, the viewer's message boxes and their texts, answering the boxes,
# waiting for the room to be drawn, and starting the viewer (or the SDL
# layer's probe program) with its pictures.
#
#   source "$(dirname "$0")/../harness/viewer.sh"
#
# Titles, captions and texts (each written here only)
#   VIEWER_TITLE               the window's title at start-up ("Halden")
#   VIEWER_REOPENED_TITLE      its title from the first F1 on
#   VIEWER_PROBE_TITLE         the probe program's window
#   VIEWER_START_BOX           the start-up question (Yes: fullscreen)
#   VIEWER_NOTICE_BOX          the extension probe's notice, before the first frame of
#                              every open when the driver offers multitexturing
#   VIEWER_FALLBACK_BOX        the fullscreen mode was refused: a window instead?
#   VIEWER_ERROR_BOX           a failed open or start-up ("Program Will Now Close.",
#                              "Initialization Failed.")
#   VIEWER_LOAD_ERROR_BOX      the bitmap loader's failure
#   VIEWER_SHUTDOWN_BOX        a failed release at a close
#   VIEWER_START_TEXT, VIEWER_FALLBACK_TEXT, VIEWER_NOTICE_TEXT, VIEWER_CLOSE_TEXT,
#   VIEWER_INIT_FAILED_TEXT    the boxes' texts, a line break written \n (as Wine's
#                              message-box trace writes them)
#   viewer_open_failed_text PATH   the loader's text for a file it cannot open
#
# Starting
#   viewer_start PICTURES COMMAND [ARG]...
#                              runs COMMAND (the viewer, or a tool running it) in a new
#                              working folder with Pic/ linked to PICTURES, or none for
#                              PICTURES "-" (E2E_PID, E2E_WORKDIR...); its boxes take
#                              the SDL layer's keys
#   viewer_use_keys YES NO OK  the keys that answer the boxes of the program started
#                              next (wine.sh sets Wine's)
#   viewer_start_probe PROBE [MODE]
#                              runs the probe (HALDEN_PROBE_MODE=MODE) and waits for
#                              its READY line
#   viewer_expect_probe_drawn ID
#                              fails unless the probe's window shows what its context
#                              draws: a red quad in the middle, the dark blue clear at
#                              the corner
#
# Boxes: one policy for every box. Once the box is shown, its key is typed, and
# typed again while the box stays, VIEWER_BOX_TRIES times VIEWER_BOX_WAIT
# seconds; a box that will not go fails the script (with a screenshot).
#   viewer_answer CAPTION yes|no|ok [SECONDS=30]
#                              waits for the box, answers it, waits until it has gone
#   viewer_answer_boxes        answers every box of the program on the screen now, as
#                              a user who wants the room in a window does: the start-up
#                              question No, the notice OK, the fallback question Yes;
#                              an error box or any other fails the script. Counts in
#                              VIEWER_BOXES, VIEWER_NOTICE_BOXES, VIEWER_FALLBACK_BOXES;
#                              VIEWER_ANSWERED is how many this call answered
#
# Windows and pictures
#   viewer_open TITLE [SECONDS=20]
#                              after a start or a reopening: finds the window (sets
#                              VIEWER_WINDOW), answers the notice if it comes, and
#                              waits until the room is drawn. VIEWER_NOTICE is
#                              "notice" or "none"
#   viewer_current_window      VIEWER_WINDOW: the program's window now, by either title,
#                              "" while there is none (between F1's close and open);
#                              VIEWER_OPENS counts the distinct windows seen
#   viewer_room_drawn FILE     true when a picture shows the room (at least
#                              VIEWER_ROOM_COLOURS colours)
#   viewer_shot ID FILE        the client area a few frames after the last key
#   viewer_settled_shot ID FILE [black-too]
#                              the client area once two shots in a row are the same
#                              and (unless black-too) show the room
#   viewer_escape WINDOW [SECONDS=20]
#                              Esc ends the program: holds Escape in WINDOW until the
#                              program last started has ended, and fails unless it
#                              ended within SECONDS with status 0
#   viewer_linux_pictures LINUX_HALDEN PIC_DIR DIR
#                              runs the Linux build windowed and saves what it draws as
#                              DIR/linux-day.png, linux-night.png (lights on) and
#                              linux-bump.png (lights off, bump floor)
#
# Example, the viewer in a window:
#   e2e_start_display 1024x768x24 fresh
#   viewer_start "$source_dir/Pic" "$build_dir/halden"
#   viewer_answer "$VIEWER_START_BOX" no
#   viewer_open "$VIEWER_TITLE"
#   e2e_hold "$VIEWER_WINDOW" n
#   viewer_shot "$VIEWER_WINDOW" "$E2E_TMP/night.png"
#   viewer_escape "$VIEWER_WINDOW"

# shellcheck source=x11.sh
source "$(dirname "${BASH_SOURCE[0]}")/x11.sh"

VIEWER_TITLE="Halden"
VIEWER_REOPENED_TITLE="Tarn's Textures, Lighting & Keyboard Tutorial"
VIEWER_PROBE_TITLE="Halden platform probe"

VIEWER_START_BOX="Start FullScreen?"
VIEWER_NOTICE_BOX="feature supported!"
VIEWER_FALLBACK_BOX="Tarn GL"
VIEWER_ERROR_BOX="ERROR"
VIEWER_LOAD_ERROR_BOX="Error"
VIEWER_SHUTDOWN_BOX="SHUTDOWN ERROR"
_viewer_boxes=("$VIEWER_START_BOX" "$VIEWER_NOTICE_BOX" "$VIEWER_FALLBACK_BOX"
  "$VIEWER_ERROR_BOX" "$VIEWER_LOAD_ERROR_BOX" "$VIEWER_SHUTDOWN_BOX")

VIEWER_START_TEXT="Would You Like To Run In Fullscreen Mode?"
VIEWER_FALLBACK_TEXT='The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?'
VIEWER_NOTICE_TEXT="The GL_ARB_multitexture extension will be used."
VIEWER_CLOSE_TEXT="Program Will Now Close."
VIEWER_INIT_FAILED_TEXT="Initialization Failed."
viewer_open_failed_text() { printf 'Failed to open DIB file %s.\\n' "$1"; }

# The textured room has thousands of colours (2000 at the fewest, with the
# bump floor); an empty window, a desktop behind it or a box over it a hundred
# at most.
VIEWER_ROOM_COLOURS=1000

VIEWER_BOX_TRIES=5
VIEWER_BOX_WAIT=5

VIEWER_WINDOW=""
VIEWER_NOTICE=""
VIEWER_OPENS=0
VIEWER_BOXES=0
VIEWER_NOTICE_BOXES=0
VIEWER_FALLBACK_BOXES=0
VIEWER_ANSWERED=0
_viewer_last_window=""

# The SDL layer's boxes: Return picks the default button (Yes, OK), Escape
# picks No.
_viewer_sdl_keys=(Return Escape Return)

viewer_use_keys() { _viewer_yes_key=$1 _viewer_no_key=$2 _viewer_ok_key=$3; }
viewer_use_keys "${_viewer_sdl_keys[@]}"

viewer_start() {
  local pictures=()
  [ "$1" = - ] || pictures=(--pic "$1")
  shift
  viewer_use_keys "${_viewer_sdl_keys[@]}"
  e2e_start_program "${pictures[@]}" -- "$@"
}

viewer_start_probe() {
  local envs=()
  if [ -n "${2:-}" ]; then envs=(--env "HALDEN_PROBE_MODE=$2"); fi
  e2e_start_program "${envs[@]}" -- "$1"
  e2e_wait_for_line "$E2E_STDOUT" '^READY' 15 || e2e_fail "the probe did not open its window"
}

viewer_expect_probe_drawn() {
  local shot=$E2E_TMP/probe.png x y w h centre corner
  sleep 0.5 # a few frames
  read -r x y w h <<<"$(e2e_window_geometry "$1")"
  e2e_window_shot "$1" "$shot" || e2e_fail "no picture of the probe's window"
  centre=$(e2e_colour "$shot" $((w / 2)) $((h / 2)))
  corner=$(e2e_colour "$shot" 4 4)
  e2e_colour_near "$centre" "255 0 0" || e2e_fail "the window's centre is $centre, not the red quad"
  e2e_colour_near "$corner" "0 0 128" || e2e_fail "the window's corner is $corner, not the dark blue clear"
}

# ---- Boxes ----

_viewer_box_gone() { ! e2e_window_named "$1" "$2"; }
_viewer_box_ready() { e2e_window_viewable "$1" || _viewer_box_gone "$1" "$2"; }

_viewer_answer_box() {
  local id=$1 caption=$2 answer=$3 key try
  case $answer in
    yes) key=$_viewer_yes_key ;;
    no) key=$_viewer_no_key ;;
    ok) key=$_viewer_ok_key ;;
    *) e2e_fail "a box is answered yes, no or ok, not \"$answer\"" ;;
  esac
  # A box can drop a key that comes before it is shown (Wine routes keys to
  # the window it has made the foreground one, which the box becomes as it is
  # shown): the key waits until the box is mapped, and a moment more.
  e2e_wait_for $((2 * VIEWER_BOX_WAIT)) _viewer_box_ready "$id" "$caption" ||
    e2e_fail "the box \"$caption\" was never shown"
  sleep 0.3
  for ((try = 1; try <= VIEWER_BOX_TRIES; try++)); do
    _viewer_box_gone "$id" "$caption" && return 0
    e2e_log "box \"$caption\": $key"
    e2e_key "$id" "$key" 2>/dev/null || true
    e2e_wait_for "$VIEWER_BOX_WAIT" _viewer_box_gone "$id" "$caption" && return 0
  done
  e2e_fail "the box \"$caption\" did not go after $VIEWER_BOX_TRIES presses of $key"
}

viewer_answer() {
  local caption=$1 answer=$2 id
  id=$(e2e_find_message_box "$caption" "${3:-30}") || exit 1
  _viewer_answer_box "$id" "$caption" "$answer"
}

# "ID CAPTION" of a box of the program on the screen: one of its captions, or
# an SDL box with another (which has no class).
_viewer_next_box() {
  local caption id
  for caption in "${_viewer_boxes[@]}"; do
    if id=$(e2e_box_id "$caption"); then
      echo "$id $caption"
      return 0
    fi
  done
  e2e_unclassed_window
}

viewer_answer_boxes() {
  local found id caption answer deadline=$((SECONDS + 60))
  VIEWER_ANSWERED=0
  while found=$(_viewer_next_box); do
    id=${found%% *}
    caption=${found#* }
    [ "$SECONDS" -lt "$deadline" ] ||
      e2e_fail "boxes still showing after a minute of answering (\"$caption\")"
    case "$caption" in
      "$VIEWER_START_BOX") answer=no ;;
      "$VIEWER_NOTICE_BOX") answer=ok ;;
      "$VIEWER_FALLBACK_BOX") answer=yes ;;
      *) e2e_fail "message box \"$caption\"" ;;
    esac
    _viewer_answer_box "$id" "$caption" "$answer"
    case "$caption" in
      "$VIEWER_NOTICE_BOX") VIEWER_NOTICE_BOXES=$((VIEWER_NOTICE_BOXES + 1)) ;;
      "$VIEWER_FALLBACK_BOX") VIEWER_FALLBACK_BOXES=$((VIEWER_FALLBACK_BOXES + 1)) ;;
    esac
    VIEWER_BOXES=$((VIEWER_BOXES + 1))
    VIEWER_ANSWERED=$((VIEWER_ANSWERED + 1))
    # The next box, if any, needs the program to run on first.
    sleep 0.2
  done
  return 0
}

# ---- Windows and pictures ----

viewer_room_drawn() { [ "$(e2e_colours "$1")" -ge "$VIEWER_ROOM_COLOURS" ]; }

# Every open probes the driver before its first frame, and shows the notice
# then when the driver offers multitexturing; so a drawn room means no notice
# is coming.
viewer_open() {
  local title=$1 deadline
  VIEWER_WINDOW=$(e2e_find_window "$title" "${2:-20}") || exit 1
  VIEWER_NOTICE=none
  deadline=$((SECONDS + 30))
  while [ "$SECONDS" -lt "$deadline" ]; do
    if e2e_box_showing "$VIEWER_NOTICE_BOX"; then
      viewer_answer "$VIEWER_NOTICE_BOX" ok
      VIEWER_NOTICE=notice
      continue
    fi
    if e2e_window_shot "$VIEWER_WINDOW" "$E2E_TMP/opened.png" && viewer_room_drawn "$E2E_TMP/opened.png"; then
      return 0
    fi
    sleep 0.1
  done
  e2e_fail "the window \"$title\" shows no room (VIEWER_NOTICE=$VIEWER_NOTICE; last shot: $E2E_TMP/opened.png)"
}

viewer_current_window() {
  VIEWER_WINDOW=$(e2e_window_titled "$VIEWER_REOPENED_TITLE" ||
    e2e_window_titled "$VIEWER_TITLE" || true)
  if [ -n "$VIEWER_WINDOW" ] && [ "$VIEWER_WINDOW" != "$_viewer_last_window" ]; then
    VIEWER_OPENS=$((VIEWER_OPENS + 1))
    _viewer_last_window=$VIEWER_WINDOW
  fi
}

viewer_shot() {
  sleep 0.3 # a few frames after the last key
  e2e_window_shot "$1" "$2" || e2e_fail "no picture of window $1: it has gone"
}

_viewer_settled() {
  local id=$1 out=$2 black_too=$3
  e2e_window_shot "$id" "$out.next" || return 1
  if [ -f "$out" ] && { [ "$black_too" = black-too ] || viewer_room_drawn "$out.next"; } &&
    e2e_same "$out" "$out.next"; then
    rm -f "$out.next"
    return 0
  fi
  mv "$out.next" "$out"
  return 1
}

viewer_settled_shot() {
  local id=$1 out=$2 black_too=${3:-}
  rm -f "$out"
  e2e_wait_for 20 _viewer_settled "$id" "$out" "$black_too" ||
    e2e_fail "the window's picture did not settle (last shot: $out)"
}

viewer_escape() {
  local window=$1 seconds=${2:-20}
  e2e_hold_until "$window" Escape "$seconds" e2e_exited "$E2E_PID" ||
    e2e_fail "Esc did not end the program within $seconds s"
  e2e_wait_exit "$E2E_PID" 1
  [ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "Esc ended the program with status $E2E_EXIT_STATUS, not 0"
}

viewer_linux_pictures() {
  local linux=$1 pic=$2 dir=$3 window
  e2e_log "the Linux build's pictures"
  viewer_start "$pic" "$linux"
  viewer_answer "$VIEWER_START_BOX" no
  viewer_open "$VIEWER_TITLE"
  window=$VIEWER_WINDOW
  viewer_settled_shot "$window" "$dir/linux-day.png"
  e2e_hold_for_picture "$window" n differ "$dir/linux-day.png" ||
    e2e_fail "Linux build: N did not switch the lights on"
  viewer_settled_shot "$window" "$dir/linux-night.png"
  e2e_hold_for_picture "$window" d same "$dir/linux-day.png" ||
    e2e_fail "Linux build: D did not switch the lights off"
  e2e_hold_for_picture "$window" b differ "$dir/linux-day.png" ||
    e2e_fail "Linux build: B did not swap the floor"
  viewer_settled_shot "$window" "$dir/linux-bump.png"
  viewer_escape "$window" 10
}
