# Pieces the soak scripts share, on top of the end-to-end harness. Source it
# after tests/e2e/lib.sh.
#
#   soak_answer_boxes       answers every SDL message box on the screen: the
#                           start-up question No (windowed), the probe's notice
#                           OK, the fullscreen fallback question Yes (go on
#                           windowed); any other box fails the script. Counts in
#                           SOAK_BOXES, SOAK_PROBE_BOXES, SOAK_FALLBACK_BOXES
#   soak_find_program_window   the program's window in SOAK_WINDOW (decimal id),
#                           "" while there is none (between F1's close and open,
#                           or while a box holds the new one back); SOAK_OPENS
#                           counts the distinct windows seen
#   soak_tap WINDOW KEY SECONDS   presses KEY in WINDOW for SECONDS
#   soak_press_until WINDOW KEY SECONDS COMMAND [ARG]...
#                           presses KEY in WINDOW and keeps it down until COMMAND
#                           succeeds (false after SECONDS): for a program whose
#                           frames are slow enough to miss a shorter press
#   soak_auto_repeat on|off the server's key auto-repeat, for every client
#   soak_resident_kb PID    resident memory (/proc/PID/statm), kB
#   soak_cpu_ticks PID      user + system CPU time so far (/proc/PID/stat), ticks
#   soak_log TEXT...        progress line with the seconds since SOAK_STARTED
#
# The programs' titles: the first open's and every reopened window's.
SOAK_FIRST_TITLE="Halden"
SOAK_REOPENED_TITLE="Tarn's Textures, Lighting & Keyboard Tutorial"

SOAK_STARTED=$SECONDS
SOAK_BOXES=0
SOAK_PROBE_BOXES=0
SOAK_FALLBACK_BOXES=0
SOAK_WINDOW=""
SOAK_OPENS=0
_soak_last_window=""
_soak_page_kb=$(($(getconf PAGESIZE) / 1024))

soak_log() { e2e_log "$((SECONDS - SOAK_STARTED))s: $*"; }

soak_answer_boxes() {
  local line id caption key deadline=$((SECONDS + 60))
  # An SDL message box is a top-level window with a caption and no class:
  #   0x600002 "Tarn GL": ()  373x112+325+218  +325+218
  while line=$(xwininfo -root -tree 2>/dev/null |
    awk '/^ +0x[0-9a-f]+ ".*": \(\) / {if (!found++) print}') && [ -n "$line" ]; do
    id=$(($(awk '{print $1}' <<<"$line")))
    caption=$(sed -E 's/^ *0x[0-9a-f]+ "(.*)": \(\).*/\1/' <<<"$line")
    [ "$SECONDS" -lt "$deadline" ] ||
      e2e_fail "boxes still showing after a minute of answering (\"$caption\")"
    case "$caption" in
      "Start FullScreen?") key=Escape ;;
      "feature supported!") key=Return ;;
      "Tarn GL") key=Return ;;
      *)
        e2e_screenshot "$E2E_TMP/unexpected-box.png" || true
        e2e_fail "message box \"$caption\" (screenshot in $E2E_TMP/unexpected-box.png)"
        ;;
    esac
    xdotool key --window "$id" "$key" 2>/dev/null || true
    # Counted once it has gone; one that stays is typed into again.
    e2e_wait_for 5 e2e_window_gone "$id" || continue
    case "$caption" in
      "feature supported!") SOAK_PROBE_BOXES=$((SOAK_PROBE_BOXES + 1)) ;;
      "Tarn GL") SOAK_FALLBACK_BOXES=$((SOAK_FALLBACK_BOXES + 1)) ;;
    esac
    SOAK_BOXES=$((SOAK_BOXES + 1))
    soak_log "answered \"$caption\""
    # The next box, if any, needs the program to run on first.
    sleep 0.2
  done
  return 0
}

soak_find_program_window() {
  SOAK_WINDOW=$(_e2e_search_window "$SOAK_REOPENED_TITLE" ||
    _e2e_search_window "$SOAK_FIRST_TITLE" || true)
  if [ -n "$SOAK_WINDOW" ] && [ "$SOAK_WINDOW" != "$_soak_last_window" ]; then
    SOAK_OPENS=$((SOAK_OPENS + 1))
    _soak_last_window=$SOAK_WINDOW
  fi
}

# xdotool sends to the focused window through XTEST, which really presses
# the key on the server: when F1 has replaced the window before the release,
# the release goes through XTEST too, or the server would auto-repeat the
# key for ever.
soak_tap() {
  xdotool keydown --window "$1" "$2" 2>/dev/null || return 0
  sleep "$3"
  xdotool keyup --window "$1" "$2" 2>/dev/null || xdotool keyup "$2" 2>/dev/null || true
}

soak_press_until() {
  local window=$1 key=$2 seconds=$3 status=0
  shift 3
  xdotool keydown --window "$window" "$key" 2>/dev/null || return 1
  e2e_wait_for "$seconds" "$@" || status=1
  xdotool keyup --window "$window" "$key" 2>/dev/null || xdotool keyup "$key" 2>/dev/null || true
  return "$status"
}

soak_auto_repeat() {
  python3 - "$1" <<'PYTHON'
import ctypes, sys
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
display = ctypes.c_void_p(display)
if sys.argv[1] == "on":
    x11.XAutoRepeatOn(display)
else:
    x11.XAutoRepeatOff(display)
x11.XCloseDisplay(display)
PYTHON
}

soak_resident_kb() { awk -v p="$_soak_page_kb" '{print $2 * p}' "/proc/$1/statm" 2>/dev/null; }

# Fields 14 and 15 of /proc/PID/stat; the name in field 2 has no spaces here.
soak_cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null; }
