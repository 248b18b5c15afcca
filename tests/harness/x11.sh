# shellcheck shell=bash
# X11 harness: a bash library for driving programs on a private X server. It
# knows nothing of the programs it drives; tests/harness/viewer.sh adds
# Halden's titles and boxes on top of it, and tests/harness/wine.sh what Wine
# adds on top of that.
#
#   source "$(dirname "$0")/../harness/x11.sh"   # set -euo pipefail; EXIT trap
#
# Everything it starts (Xvfb, the programs under test) is recorded by process
# id and ended by that id when the script exits, however it exits. Files go
# into one temporary folder ($E2E_TMP), removed at exit unless the script
# failed or E2E_KEEP=1 (its path is then printed). A failure on a display the
# harness started also leaves a screenshot of it there.
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
#   e2e_auto_repeat on|off         the server's key auto-repeat, for every client
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
#   e2e_exited PID                  true once the process has ended
#   e2e_stop PID                    ends one started program now (TERM, then KILL)
#   e2e_on_exit FUNCTION            FUNCTION runs at exit before the programs and
#       Xvfb are ended (for what a program left behind outside this shell)
#   e2e_cpu_ticks PID               user + system CPU time so far, clock ticks
#   e2e_resident_kb PID             resident memory, kB
#   e2e_cpu_use WHAT SECONDS NAME PID [NAME PID]...
#       waits SECONDS and prints the share of one core each process used then:
#       "WHAT over S s: NAME x% of one core, NAME y%"
#
# Windows (ids in decimal)
#   e2e_find_window TITLE [SECONDS=10]          id of a top-level window whose title is
#       exactly TITLE (xdotool search --name) and that answers; fails at the timeout
#   e2e_window_titled TITLE                     the same id now, false when there is none
#   e2e_find_message_box CAPTION [SECONDS=10]   id of a message box (any named window) by
#       caption, searched with xwininfo -root -tree, which also sees windows
#       xdotool does not; fails at the timeout
#   e2e_box_id CAPTION                          the same id now, false when there is none
#   e2e_box_showing CAPTION...                  true while a box with one of these shows
#   e2e_unclassed_window    "ID CAPTION" of a named top-level window without a class
#       (SDL's message boxes set none; a toolkit's windows do), false when none
#   e2e_window_gone ID                          true once the window no longer exists
#   e2e_window_named ID NAME                    true while window ID exists and is named
#       NAME. A client that shows each box from a new connection (SDL forks one)
#       can get the same id for its next box: a box has gone once its id no longer
#       carries its caption
#   e2e_window_viewable ID                      true while it is mapped and viewable
#   e2e_window_geometry ID                      "X Y WIDTH HEIGHT" of the client area
#   e2e_client_size ID                          "WIDTHxHEIGHT" of the client area
#   e2e_request_close ID    asks the window to close, as a window manager's close
#       button does (WM_DELETE_WINDOW), without destroying it
#   e2e_minimise ID / e2e_restore ID   iconify and restore; without a window
#       manager this is what iconifying does at the X level (unmap, map)
#   e2e_resize ID WIDTH HEIGHT          resizes the window's client area
#   e2e_focus ID                        gives the window the keyboard focus
#
# Keyboard (key names as xdotool spells them: a, Return, Escape, F1, Up, shift)
#   xdotool sends a key to a window through XTEST when that window has the
#   focus, which really presses the key on the server (and the server's
#   auto-repeat then applies), and through XSendEvent otherwise.
#   e2e_key ID KEY...         sends each key press and release to that window, a
#                             few ms apart: for boxes and programs that act on events
#   e2e_press ID KEY          presses KEY in that window; false (with xdotool's
#                             message) when it cannot be sent, as to a window gone
#   e2e_release ID KEY        releases it there; when the window has gone in between
#                             (the key closed it), on the display instead, or a key
#                             pressed through XTEST would stay down and repeat
#   e2e_hold ID KEY [SECONDS=0.2]
#                             press, wait, release. A program that reads its key
#                             table once per frame can miss a press and release that
#                             arrive within one frame: use this for its controls.
#                             False when the press could not be sent (it still releases)
#   e2e_hold_until ID KEY SECONDS COMMAND [ARG]...
#                             holds KEY until COMMAND succeeds, then releases it;
#                             false at the timeout. For a program that acts on held
#                             keys at its own frame rate; switch auto-repeat off when
#                             the hold can outlast its delay and the key acts on
#                             every press
#   e2e_hold_for_picture ID KEY same|differ PICTURE [SECONDS=20]
#                             holds KEY until the window's picture is the same as
#                             PICTURE, or differs from it; false at the timeout
#   e2e_tap_until ID KEY TRIES COMMAND [ARG]...
#                             presses KEY for a moment at a time (50 ms, then 100 ms
#                             for the frame after the release), at most TRIES times,
#                             until COMMAND succeeds: for keys whose effect adds up
#                             with every frame they are held
#   e2e_key_down KEY / e2e_key_up KEY
#                             presses or releases a key on the display through
#                             XTEST, for the window with the focus
#
# Pictures
#   e2e_screenshot FILE                 the whole screen (import -window root) as PNG
#   e2e_window_shot ID FILE             the window's client area, cut from a screenshot;
#                                       false when the window has gone
#   e2e_colour FILE X Y [W H]           mean "R G B" (0-255) of a box of a picture (one
#                                       pixel without W H)
#   e2e_colour_near "R G B" "R G B" [TOLERANCE=8]   true when every channel is within
#   e2e_colours FILE                    how many distinct colours a picture has
#   e2e_pixels_differing A B            how many pixels of two pictures of one size differ
#                                       by more than $E2E_FUZZ; false when they cannot be
#                                       compared (a size differs, a file is missing)
#   e2e_same A B / e2e_differ A B       at most $E2E_SAME_PIXELS of them differ / at
#                                       least $E2E_CHANGED_PIXELS do
#   e2e_expect_same A B WHAT / e2e_expect_differ A B WHAT
#                                       the same, failing with the count (and logging it)
#   e2e_window_picture_is ID same|differ PICTURE
#                                       the window's client area now is the same as
#                                       PICTURE, or differs from it
#
# Waiting and reporting
#   e2e_wait_for SECONDS COMMAND [ARG]...   runs COMMAND every 0.1 s until it succeeds;
#                                           false at the timeout
#   e2e_wait_for_line FILE REGEX [SECONDS=10]   waits for a line matching REGEX (grep -E)
#   e2e_count_lines FILE REGEX              how many lines match
#   e2e_log TEXT...        progress line on stderr, with the seconds since the start
#   e2e_fail TEXT...       prints the reason (and the program's output) and exits 1
#   e2e_check CONDITION-COMMAND... -- TEXT  e2e_fail with TEXT unless the command succeeds
#   e2e_skip TEXT...       ends the script as skipped: status $E2E_SKIP (77), which
#                          CTest reads through SKIP_RETURN_CODE; nothing is kept
#
# The finders print an id, so they run inside $(...); when they time out the
# assignment fails and set -e ends the script (with the reason on stderr).
#
# Example, a program that draws into a window titled "Probe":
#   e2e_start_display 1024x768x24 fresh
#   e2e_start_program -- "$build_dir/probe"
#   window=$(e2e_find_window "Probe")
#   e2e_window_shot "$window" "$E2E_TMP/before.png"
#   e2e_hold "$window" Up 0.5
#   e2e_window_shot "$window" "$E2E_TMP/after.png"
#   e2e_expect_differ "$E2E_TMP/before.png" "$E2E_TMP/after.png" "Up"
#   e2e_request_close "$window"; e2e_wait_exit "$E2E_PID"   # sets E2E_EXIT_STATUS

set -euo pipefail

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/e2e.XXXXXX")
E2E_PIDS=()       # programs, ended first
E2E_XVFB_PID=""   # ended last
E2E_EXIT_HOOKS=() # run before either
E2E_PID=""
E2E_WORKDIR=""
E2E_STDOUT=""
E2E_STDERR=""
E2E_EXIT_STATUS=""
E2E_FAILED=0
E2E_SKIPPED=0
E2E_SKIP=77

# Two renderings of one scene by two builds differ in a few dozen of a 640 by
# 480 picture's pixels (rounding at edges); a change of the scene moves tens
# of thousands.
E2E_FUZZ=3%
E2E_SAME_PIXELS=50
E2E_CHANGED_PIXELS=500

e2e_log() { printf '[e2e %ss] %s\n' "$SECONDS" "$*" >&2; }

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
  local hook pid
  for hook in "${E2E_EXIT_HOOKS[@]}"; do "$hook"; done
  for pid in "${E2E_PIDS[@]}"; do _e2e_end_process "$pid"; done
  if [ -n "$E2E_XVFB_PID" ]; then _e2e_end_process "$E2E_XVFB_PID"; fi
  if [ "$E2E_SKIPPED" -eq 0 ] && { [ "$status" -ne 0 ] || [ "$E2E_FAILED" -ne 0 ] ||
    [ "${E2E_KEEP:-0}" = 1 ]; }; then
    e2e_log "files kept in $E2E_TMP"
  else
    rm -rf "$E2E_TMP"
  fi
  exit "$status"
}
trap _e2e_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

e2e_on_exit() { E2E_EXIT_HOOKS+=("$1"); }

e2e_fail() {
  E2E_FAILED=1
  printf '[e2e %ss] FAIL: %s\n' "$SECONDS" "$*" >&2
  if [ -n "$E2E_XVFB_PID" ] && kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
    local shot
    shot=$(mktemp "$E2E_TMP/failed.XXXXXX.png")
    if timeout 10 import -window root "$shot" 2>/dev/null; then
      printf '[e2e] the screen then: %s\n' "$shot" >&2
    fi
  fi
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

e2e_skip() {
  e2e_log "SKIP: $*"
  E2E_SKIPPED=1
  exit "$E2E_SKIP"
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

# Xlib calls that no command-line tool on the test machines makes:
#   close ID         a WM_DELETE_WINDOW client message, as a window manager sends
#   repeat on|off    the server's key auto-repeat
_e2e_xlib() {
  python3 - "$@" <<'PYTHON'
import ctypes, sys
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
for name in ("XFlush", "XCloseDisplay", "XAutoRepeatOn", "XAutoRepeatOff"):
    getattr(x11, name).argtypes = [ctypes.c_void_p]

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
operation, argument = sys.argv[1], sys.argv[2]
if operation == "close":
    window = int(argument, 0)
    event = Event()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = window
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.xclient.data[1] = 0  # CurrentTime
    if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
        sys.exit("XSendEvent failed")
elif operation == "repeat":
    (x11.XAutoRepeatOn if argument == "on" else x11.XAutoRepeatOff)(display)
else:
    sys.exit("unknown operation " + operation)
x11.XFlush(display)
x11.XCloseDisplay(display)
PYTHON
}

e2e_auto_repeat() {
  _e2e_xlib repeat "$1" || e2e_fail "could not switch key auto-repeat $1 on $DISPLAY"
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

e2e_exited() { ! kill -0 "$1" 2>/dev/null; }

e2e_wait_exit() {
  local pid=$1 seconds=${2:-20}
  E2E_EXIT_STATUS=124
  e2e_wait_for "$seconds" e2e_exited "$pid" || return 0
  E2E_EXIT_STATUS=0
  wait "$pid" 2>/dev/null || E2E_EXIT_STATUS=$?
}

e2e_stop() { _e2e_end_process "$1"; }

# Fields 14 and 15 of /proc/PID/stat; the name in field 2 has no spaces here.
e2e_cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null; }

e2e_resident_kb() {
  awk -v kb="$(($(getconf PAGESIZE) / 1024))" '{print $2 * kb}' "/proc/$1/statm" 2>/dev/null
}

e2e_cpu_use() {
  local what=$1 seconds=$2 i names=() pids=() before=() after=() t0 t1
  shift 2
  while [ $# -ge 2 ]; do names+=("$1"); pids+=("$2"); shift 2; done
  for i in "${!pids[@]}"; do before+=("$(e2e_cpu_ticks "${pids[$i]}")"); done
  t0=$(date +%s.%N)
  sleep "$seconds"
  for i in "${!pids[@]}"; do after+=("$(e2e_cpu_ticks "${pids[$i]}")"); done
  t1=$(date +%s.%N)
  for i in "${!pids[@]}"; do printf '%s %s %s\n' "${names[$i]}" "${before[$i]}" "${after[$i]}"; done |
    awk -v what="$what" -v t0="$t0" -v t1="$t1" -v hz="$(getconf CLK_TCK)" '
      { share = 100 * ($3 - $2) / hz / (t1 - t0)
        parts = parts (NR > 1 ? ", " : "") sprintf("%s %.1f%%", $1, share) (NR == 1 ? " of one core" : "") }
      END { printf "%s over %.1f s: %s\n", what, t1 - t0, parts }'
}

# ---- Windows ----

_e2e_regex_quote() { printf '%s' "$1" | sed 's/[][\.*^$(){}?+|/]/\\&/g'; }

e2e_window_titled() {
  local id
  id=$(xdotool search --name "^$(_e2e_regex_quote "$1")\$" 2>/dev/null | head -n 1) || true
  # The window can go between the search and its use (a reopen): only one that
  # still answers counts.
  [ -n "$id" ] && xwininfo -id "$id" >/dev/null 2>&1 && echo "$id"
}

# Runs FINDER until it prints an id, and prints that; fails with TEXT at the
# timeout.
_e2e_find() {
  local seconds=$1 text=$2 id deadline
  shift 2
  deadline=$((SECONDS + seconds))
  until id=$("$@"); do
    [ "$SECONDS" -lt "$deadline" ] || e2e_fail "$text"
    sleep 0.1
  done
  echo "$id"
}

e2e_find_window() { _e2e_find "${2:-10}" "no window titled \"$1\"" e2e_window_titled "$1"; }

e2e_box_id() {
  local id
  # Lines look like:   0x200007 "caption": ("SDL_App" "SDL_App")  300x100+0+0  +0+0
  id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$1\":" | head -n 1 | awk '{print $1}') || true
  [ -n "$id" ] && printf '%d\n' "$id"
}

e2e_find_message_box() {
  _e2e_find "${2:-10}" "no message box captioned \"$1\"" e2e_box_id "$1"
}

e2e_box_showing() {
  local caption
  for caption in "$@"; do
    e2e_box_id "$caption" >/dev/null && return 0
  done
  return 1
}

e2e_unclassed_window() {
  local line
  #   0x600002 "Tarn GL": ()  373x112+325+218  +325+218
  line=$(xwininfo -root -tree 2>/dev/null |
    awk '/^ +0x[0-9a-f]+ ".*": \(\) / {if (!found++) print}') || true
  [ -n "$line" ] || return 1
  printf '%d %s\n' "$(awk '{print $1}' <<<"$line")" \
    "$(sed -E 's/^ *0x[0-9a-f]+ "(.*)": \(\).*/\1/' <<<"$line")"
}

e2e_window_gone() { ! xwininfo -id "$1" >/dev/null 2>&1; }

e2e_window_named() {
  # The first line reads:   xwininfo: Window id: 0x600002 "Tarn GL"
  xwininfo -id "$1" 2>/dev/null | head -n 2 | grep -qF -- " \"$2\""
}

e2e_window_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

e2e_window_geometry() {
  xwininfo -id "$1" | awk '
    /Absolute upper-left X/ {x = $NF}
    /Absolute upper-left Y/ {y = $NF}
    /^ *Width:/ {w = $NF}
    /^ *Height:/ {h = $NF}
    END {print x, y, w, h}'
}

e2e_client_size() {
  local x y w h
  read -r x y w h <<<"$(e2e_window_geometry "$1")"
  echo "${w}x${h}"
}

e2e_request_close() { _e2e_xlib close "$1"; }

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

e2e_focus() { timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

# ---- Keyboard ----

# xdotool warns on every synthetic key when the focus is PointerRoot (as on a
# bare Xvfb); its messages are only worth showing when it failed.
_e2e_xdotool() {
  local status=0
  xdotool "$@" 2>"$E2E_TMP/xdotool.err" || status=$?
  if [ "$status" -ne 0 ]; then cat "$E2E_TMP/xdotool.err" >&2; fi
  return "$status"
}

e2e_key() {
  local id=$1
  shift
  _e2e_xdotool key --window "$id" "$@"
}

e2e_press() { _e2e_xdotool keydown --window "$1" "$2"; }

e2e_release() {
  xdotool keyup --window "$1" "$2" 2>/dev/null || xdotool keyup "$2" 2>/dev/null || true
}

e2e_hold() {
  local status=0
  e2e_press "$1" "$2" || status=1
  sleep "${3:-0.2}"
  e2e_release "$1" "$2"
  return "$status"
}

e2e_hold_until() {
  local id=$1 key=$2 seconds=$3 status=0
  shift 3
  # A press that cannot be sent leaves the condition to say what happened.
  e2e_press "$id" "$key" 2>/dev/null || true
  e2e_wait_for "$seconds" "$@" || status=1
  e2e_release "$id" "$key"
  return "$status"
}

e2e_tap_until() {
  local id=$1 key=$2 tries=$3 try
  shift 3
  for ((try = 0; try < tries; try++)); do
    e2e_press "$id" "$key" 2>/dev/null || true
    sleep 0.05
    e2e_release "$id" "$key"
    # Let the frame after the release reach the screen.
    sleep 0.1
    "$@" && return 0
  done
  return 1
}

e2e_key_down() { xdotool keydown "$1"; }
e2e_key_up() { xdotool keyup "$1"; }

# ---- Pictures ----

e2e_screenshot() { import -window root "$1"; }

e2e_window_shot() {
  local id=$1 out=$2 geometry x y w h
  geometry=$(e2e_window_geometry "$id" 2>/dev/null) || return 1
  read -r x y w h <<<"$geometry"
  if import -window root "$out.screen.png" &&
    convert "$out.screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$out"; then
    rm -f "$out.screen.png"
    return 0
  fi
  rm -f "$out.screen.png"
  return 1
}

e2e_colour() {
  local file=$1 x=$2 y=$3 w=${4:-1} h=${5:-1}
  convert "$file" -crop "${w}x${h}+${x}+${y}" +repage -scale '1x1!' -format \
    "%[fx:int(255*p{0,0}.r+0.5)] %[fx:int(255*p{0,0}.g+0.5)] %[fx:int(255*p{0,0}.b+0.5)]\n" \
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

e2e_colours() { convert "$1" -format '%k' info:; }

e2e_pixels_differing() {
  local out status=0 sizes
  # compare looks for a smaller second picture inside the first: only pictures
  # of one size are compared here.
  sizes=$(identify -format '%wx%h\n' "$1" "$2" 2>/dev/null | sort -u | wc -l) || return 1
  [ "$sizes" -eq 1 ] || return 1
  # compare exits 1 for pictures that differ and 2 when it cannot compare them.
  out=$(compare -metric AE -fuzz "$E2E_FUZZ" "$1" "$2" null: 2>&1 >/dev/null) || status=$?
  [ "$status" -le 1 ] || return 1
  printf '%.0f\n' "${out%% *}"
}

e2e_same() {
  local count
  count=$(e2e_pixels_differing "$1" "$2") && [ "$count" -le "$E2E_SAME_PIXELS" ]
}

e2e_differ() {
  local count
  count=$(e2e_pixels_differing "$1" "$2") && [ "$count" -ge "$E2E_CHANGED_PIXELS" ]
}

e2e_expect_same() {
  local count
  count=$(e2e_pixels_differing "$1" "$2") || e2e_fail "$3: $1 and $2 cannot be compared"
  [ "$count" -le "$E2E_SAME_PIXELS" ] || e2e_fail "$3: $count pixels differ"
  e2e_log "$3: same picture ($count pixels differ)"
}

e2e_expect_differ() {
  local count
  count=$(e2e_pixels_differing "$1" "$2") || e2e_fail "$3: $1 and $2 cannot be compared"
  [ "$count" -ge "$E2E_CHANGED_PIXELS" ] || e2e_fail "$3: only $count pixels changed"
  e2e_log "$3: $count pixels changed"
}

e2e_window_picture_is() {
  e2e_window_shot "$1" "$E2E_TMP/now.png" && "e2e_$2" "$E2E_TMP/now.png" "$3"
}

e2e_hold_for_picture() {
  e2e_hold_until "$1" "$2" "${5:-20}" e2e_window_picture_is "$1" "$3" "$4"
}
