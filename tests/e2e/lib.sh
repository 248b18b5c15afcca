# End-to-end harness: a bash library that the scenario scripts source.
#
#   source "$(dirname "$0")/lib.sh"     # installs the EXIT trap; set -euo pipefail
#
# Everything it starts (Xvfb, the programs under test) is recorded by process
# id and ended by that id when the script exits, however it exits. Files go
# into one temporary folder ($E2E_TMP), removed at exit unless the script
# failed or E2E_KEEP=1 (its path is then printed).
#
# Display
#   e2e_start_display [WxHxD] [fresh]
#       Starts Xvfb on a free display number (Xvfb picks it: -displayfd) with
#       one screen of WxHxD (default 1024x768x24; 640x480x24 for a fullscreen
#       scenario, since Xvfb offers only its own size as a display mode) and
#       exports DISPLAY (and SDL_VIDEODRIVER=x11). Without "fresh", an existing
#       DISPLAY is used as it is.
#       Pass "fresh" whenever the scenario types keys or reads the screen, so
#       that it never does so on somebody's desktop.
#   e2e_window_manager_running     true when a window manager owns the screen
#
# Programs
#   e2e_start_program [--pic DIR | --copy-pic DIR] [--env NAME=VALUE]... -- BINARY [ARG]...
#       Runs BINARY in the background in a new working folder, with Pic/
#       symlinked (--pic) or copied (--copy-pic) from DIR when asked. Sets
#       E2E_PID, E2E_WORKDIR, E2E_STDOUT and E2E_STDERR (the program's output
#       files, inside E2E_WORKDIR).
#   e2e_wait_exit PID [SECONDS=20]  waits for a started program and sets
#       E2E_EXIT_STATUS to its exit status (124 when it was still running at
#       the timeout; it is then left running for the EXIT trap). Call it
#       directly, not inside $(...): only this shell can collect the status.
#   e2e_stop PID                    ends one started program now (TERM, then KILL)
#
# Windows
#   e2e_find_window TITLE [SECONDS=10]          id of a top-level window whose title is
#       exactly TITLE (xdotool search --name), printed in decimal
#   e2e_find_message_box CAPTION [SECONDS=10]   id of a message box by caption (searched
#       with xwininfo -root -tree, which also sees windows xdotool does not)
#   e2e_window_gone ID                          true once the window no longer exists
#   e2e_window_geometry ID                      "X Y WIDTH HEIGHT" of the client area
#   e2e_request_close ID    asks the window to close, as a window manager's close
#       button does (WM_DELETE_WINDOW), without destroying it
#   e2e_minimise ID / e2e_restore ID   iconify and restore; without a window
#       manager this is what iconifying does at the X level (unmap, map)
#   e2e_resize ID WIDTH HEIGHT          resizes the window's client area
#
# Keyboard (key names as xdotool spells them: a, Return, Escape, F1, Up, shift)
#   e2e_key ID KEY...         sends each key press and release to that window
#                             (synthetic events; no focus needed), a few ms apart
#   e2e_hold ID KEY [SECONDS=0.2]
#                             presses KEY in that window, waits, releases it. A program
#                             that reads its key table once per frame (the viewer) can
#                             miss a press and release that arrive within one frame, as
#                             it would on Windows: use this for its controls
#   e2e_key_down KEY / e2e_key_up KEY
#                             presses or releases a key through XTEST, to the window
#                             with the focus; the server's auto-repeat applies
#   e2e_focus ID              gives the window the keyboard focus
#
# Screen
#   e2e_screenshot FILE               the whole screen (import -window root) as PNG
#   e2e_pixel FILE X Y                prints "R G B" (0-255) of one pixel of a picture
#   e2e_colour_near "R G B" "R G B" [TOLERANCE=8]   true when every channel is within
#
# Waiting and reporting
#   e2e_wait_for SECONDS COMMAND [ARG]...   runs COMMAND every 0.1 s until it succeeds;
#                                           false at the timeout
#   e2e_wait_for_line FILE REGEX [SECONDS=10]   waits for a line matching REGEX (grep -E)
#   e2e_count_lines FILE REGEX              how many lines match
#   e2e_log TEXT...        progress line on stderr
#   e2e_fail TEXT...       prints the reason (and the program's output) and exits 1
#   e2e_check CONDITION-COMMAND... -- TEXT  e2e_fail with TEXT unless the command succeeds
#
# The finders print an id, so they run inside $(...); when they time out the
# assignment fails and set -e ends the script (with the reason on stderr).
#
# Example, the viewer in a window (on Mesa every open also shows the
# multitexture box "feature supported!"):
#   e2e_start_display 1024x768x24 fresh
#   e2e_start_program --pic "$source_dir/Pic" -- "$build_dir/halden"
#   box=$(e2e_find_message_box "Start FullScreen?"); e2e_key "$box" Escape   # No
#   box=$(e2e_find_message_box "feature supported!"); e2e_key "$box" Return
#   window=$(e2e_find_window "Halden")
#   e2e_hold "$window" Up 0.5; e2e_hold "$window" n
#   e2e_screenshot "$E2E_TMP/room.png"; e2e_pixel "$E2E_TMP/room.png" 320 240
#   e2e_hold "$window" Escape; e2e_wait_exit "$E2E_PID"   # sets E2E_EXIT_STATUS

set -euo pipefail

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/halden-e2e.XXXXXX")
E2E_PIDS=()       # programs, ended first
E2E_XVFB_PID=""   # ended last
E2E_PID=""
E2E_WORKDIR=""
E2E_STDOUT=""
E2E_STDERR=""
E2E_EXIT_STATUS=""
E2E_FAILED=0

e2e_log() { printf '[e2e] %s\n' "$*" >&2; }

_e2e_end_process() {
  local pid=$1 i
  kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
  kill -TERM "$pid" 2>/dev/null || true
  for i in $(seq 1 30); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null || true
  fi
  wait "$pid" 2>/dev/null || true
}

_e2e_cleanup() {
  local status=$?
  set +e
  local pid
  for pid in "${E2E_PIDS[@]}"; do _e2e_end_process "$pid"; done
  if [ -n "$E2E_XVFB_PID" ]; then _e2e_end_process "$E2E_XVFB_PID"; fi
  if [ "$status" -ne 0 ] || [ "$E2E_FAILED" -ne 0 ] || [ "${E2E_KEEP:-0}" = 1 ]; then
    e2e_log "files kept in $E2E_TMP"
  else
    rm -rf "$E2E_TMP"
  fi
  exit "$status"
}
trap _e2e_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

e2e_fail() {
  E2E_FAILED=1
  printf '[e2e] FAIL: %s\n' "$*" >&2
  if [ -n "$E2E_STDOUT" ] && [ -s "$E2E_STDOUT" ]; then
    printf '[e2e] --- program stdout (last 40 lines)\n' >&2
    tail -n 40 "$E2E_STDOUT" >&2
  fi
  if [ -n "$E2E_STDERR" ] && [ -s "$E2E_STDERR" ]; then
    printf '[e2e] --- program stderr (last 40 lines)\n' >&2
    tail -n 40 "$E2E_STDERR" >&2
  fi
  exit 1
}

e2e_check() {
  local command=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do command+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  "${command[@]}" || e2e_fail "$*"
}

e2e_wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  while true; do
    if "$@"; then return 0; fi
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}

e2e_count_lines() {
  local count
  count=$(grep -c -E -- "$2" "$1" 2>/dev/null) || true
  echo "${count:-0}"
}

e2e_wait_for_line() {
  local file=$1 regex=$2 seconds=${3:-10}
  e2e_wait_for "$seconds" grep -q -E -- "$regex" "$file"
}

# ---- Display ----

e2e_start_display() {
  local size=${1:-1024x768x24} mode=${2:-}
  if [ -n "${DISPLAY:-}" ] && [ "$mode" != fresh ]; then
    e2e_log "using the existing display $DISPLAY"
    return 0
  fi
  local fdfile="$E2E_TMP/xvfb.display"
  : >"$fdfile"
  Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp -noreset 3>"$fdfile" \
    >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  if ! e2e_wait_for 15 grep -q '[0-9]' "$fdfile"; then
    cat "$E2E_TMP/xvfb.log" >&2
    e2e_fail "Xvfb did not start"
  fi
  export DISPLAY=":$(tr -dc '0-9' <"$fdfile")"
  unset WAYLAND_DISPLAY
  export SDL_VIDEODRIVER=x11
  e2e_wait_for 10 xdpyinfo >/dev/null 2>&1 || e2e_fail "display $DISPLAY does not answer"
  e2e_log "Xvfb on $DISPLAY ($size), pid $E2E_XVFB_PID"
}

e2e_window_manager_running() {
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# ---- Programs ----

e2e_start_program() {
  local pic="" copy_pic="" envs=()
  while [ $# -gt 0 ]; do
    case "$1" in
      --pic) pic=$2; shift 2 ;;
      --copy-pic) copy_pic=$2; shift 2 ;;
      --env) envs+=("$2"); shift 2 ;;
      --) shift; break ;;
      *) break ;;
    esac
  done
  [ $# -gt 0 ] || e2e_fail "e2e_start_program: no binary given"
  local binary
  binary=$(readlink -f "$1")
  shift
  [ -x "$binary" ] || e2e_fail "not an executable: $binary"
  E2E_WORKDIR=$(mktemp -d "$E2E_TMP/run.XXXXXX")
  if [ -n "$pic" ]; then ln -s "$(readlink -f "$pic")" "$E2E_WORKDIR/Pic"; fi
  if [ -n "$copy_pic" ]; then cp -r "$(readlink -f "$copy_pic")" "$E2E_WORKDIR/Pic"; fi
  E2E_STDOUT="$E2E_WORKDIR/stdout"
  E2E_STDERR="$E2E_WORKDIR/stderr"
  (cd "$E2E_WORKDIR" && exec env "${envs[@]}" "$binary" "$@") >"$E2E_STDOUT" 2>"$E2E_STDERR" &
  E2E_PID=$!
  E2E_PIDS+=("$E2E_PID")
  e2e_log "started $(basename "$binary") as pid $E2E_PID in $E2E_WORKDIR"
}

e2e_wait_exit() {
  local pid=$1 seconds=${2:-20}
  E2E_EXIT_STATUS=124
  e2e_wait_for "$seconds" _e2e_exited "$pid" || return 0
  E2E_EXIT_STATUS=0
  wait "$pid" 2>/dev/null || E2E_EXIT_STATUS=$?
}

_e2e_exited() { ! kill -0 "$1" 2>/dev/null; }

e2e_stop() { _e2e_end_process "$1"; }

# ---- Windows ----

_e2e_regex_quote() { printf '%s' "$1" | sed 's/[][\.*^$(){}?+|/]/\\&/g'; }

_e2e_search_window() {
  xdotool search --name "^$(_e2e_regex_quote "$1")\$" 2>/dev/null | head -n 1 | grep .
}

e2e_find_window() {
  local title=$1 seconds=${2:-10} id="" deadline
  deadline=$((SECONDS + seconds))
  # The window can go between two searches (a reopen); only a found id counts.
  while :; do
    id=$(_e2e_search_window "$title" 2>/dev/null || true)
    [ -n "$id" ] && break
    [ "$SECONDS" -lt "$deadline" ] || e2e_fail "no window titled \"$title\""
    sleep 0.1
  done
  echo "$id"
}

_e2e_search_box() {
  # Lines look like:   0x200007 "caption": ("SDL_App" "SDL_App")  300x100+0+0  +0+0
  xwininfo -root -tree 2>/dev/null | grep -F "\"$1\":" | head -n 1 | awk '{print $1}' | grep .
}

e2e_find_message_box() {
  local caption=$1 seconds=${2:-10} id
  e2e_wait_for "$seconds" _e2e_search_box "$caption" >/dev/null ||
    e2e_fail "no message box captioned \"$caption\""
  id=$(_e2e_search_box "$caption")
  printf '%d\n' "$id"
}

e2e_window_gone() { ! xwininfo -id "$1" >/dev/null 2>&1; }

e2e_window_geometry() {
  xwininfo -id "$1" | awk '
    /Absolute upper-left X/ {x = $NF}
    /Absolute upper-left Y/ {y = $NF}
    /^ *Width:/ {w = $NF}
    /^ *Height:/ {h = $NF}
    END {print x, y, w, h}'
}

e2e_request_close() {
  # The window manager's close button: a WM_DELETE_WINDOW client message.
  python3 - "$1" <<'PYTHON'
import ctypes, sys
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                           ctypes.POINTER(Event)]
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
window = int(sys.argv[1], 0)
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = window
event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
event.xclient.data[1] = 0  # CurrentTime
if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
    sys.exit("XSendEvent failed")
x11.XFlush(ctypes.c_void_p(display))
x11.XCloseDisplay(ctypes.c_void_p(display))
PYTHON
}

e2e_minimise() {
  if e2e_window_manager_running; then
    xdotool windowminimize "$1"
  else
    xdotool windowunmap "$1"
  fi
}

e2e_restore() {
  xdotool windowmap "$1"
  if e2e_window_manager_running; then xdotool windowactivate "$1"; fi
}

e2e_resize() { xdotool windowsize "$1" "$2" "$3"; }

# ---- Keyboard ----

e2e_key() {
  local id=$1 status=0
  shift
  # xdotool warns on every synthetic key when the focus is PointerRoot (as on
  # a bare Xvfb); its messages are only worth showing when it failed.
  xdotool key --window "$id" "$@" 2>"$E2E_TMP/xdotool.err" || status=$?
  if [ "$status" -ne 0 ]; then cat "$E2E_TMP/xdotool.err" >&2; fi
  return "$status"
}

e2e_hold() {
  xdotool keydown --window "$1" "$2" 2>"$E2E_TMP/xdotool.err" || { cat "$E2E_TMP/xdotool.err" >&2; return 1; }
  sleep "${3:-0.2}"
  # A key that closes the window (F1, Esc) leaves no window to release it on:
  # release it on the display then, or it would stay down and repeat.
  xdotool keyup --window "$1" "$2" 2>/dev/null || xdotool keyup "$2" 2>/dev/null || true
}

e2e_key_down() { xdotool keydown "$1"; }
e2e_key_up() { xdotool keyup "$1"; }
e2e_focus() { timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

# ---- Screen ----

e2e_screenshot() { import -window root "$1"; }

e2e_pixel() {
  local file=$1 x=$2 y=$3
  convert "$file" -format \
    "%[fx:int(255*p{$x,$y}.r+0.5)] %[fx:int(255*p{$x,$y}.g+0.5)] %[fx:int(255*p{$x,$y}.b+0.5)]\n" \
    info:
}

e2e_colour_near() {
  local tolerance=${3:-8} a b i
  read -r -a a <<<"$1"
  read -r -a b <<<"$2"
  for i in 0 1 2; do
    local d=$((a[i] - b[i]))
    [ "${d#-}" -le "$tolerance" ] || return 1
  done
}
