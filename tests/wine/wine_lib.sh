# shellcheck shell=bash
# Wine on top of the end-to-end harness (../e2e/lib.sh): picks the Wine loader
# that fits a halden.exe, makes and removes the throwaway Wine prefix of a test
# run, starts the program in it, answers Wine's message boxes (real X windows,
# found by caption) and ends the prefix's Wine processes when the script exits.
#
#   source "$(dirname "$0")/wine_lib.sh"
#
#   wine_select EXE          sets WINE_LOADER and WINEARCH from the PE header
#                            (32-bit: wine, win32; 64-bit: wine64, win64)
#   wine_use_prefix STATE    exports WINEPREFIX from the state file that the
#                            prefix fixture wrote (prefix.sh)
#   wine_start_program PICDIR EXE
#                            runs EXE under Wine in a new working folder with
#                            Pic/ copied from PICDIR (E2E_PID, E2E_WORKDIR...)
#   wine_answer CAPTION KEY [SECONDS]
#                            waits for the message box CAPTION, types KEY into
#                            it and waits until it has gone
#   wine_notice_or_room ID   after an open: answers the probe's notice when it
#                            comes before the room is drawn; prints "notice" or
#                            "none"
#   wine_box_showing CAPTION...
#                            true while a box with one of these captions shows
#   wine_box_texts FILE      the texts of the message boxes Wine showed, one a
#                            line, as its msgbox trace channel wrote them to FILE
#
# Pictures of a window (these work for the Linux build's windows too)
#   wine_shot ID OUT         the window's client area, cut from a screenshot
#   wine_settled_shot ID OUT [black-too]
#                            the same, once two shots in a row agree and (unless
#                            black-too) show the room
#   wine_same A B / wine_differ A B
#                            pictures agree within a small RMS difference / do not
#   wine_start_display       a fresh Xvfb without key auto-repeat
#   wine_hold_key ID KEY SECONDS CONDITION...
#                            holds KEY down on the window until CONDITION holds,
#                            then lets it go (the program acts on held keys at its
#                            own frame rate, so a quick tap may never be seen).
#                            Wine drops keys while no window is its foreground
#                            one: press keys once the window shows the room
#                            (wine_settled_shot) after it opened or a box closed
#   wine_hold_for_picture ID KEY same|differ PICTURE
#                            holds KEY until the window's picture is the same as
#                            PICTURE, or differs from it; false after 20 s
#   wine_nudge_for_picture ID KEY PICTURE
#                            presses KEY for a moment at a time, at most 40
#                            times, until the window's picture differs from
#                            PICTURE: for the arrows, whose effect adds up with
#                            every frame they are held, so that the camera
#                            moves a short way instead of out of the room
#   wine_client_size ID      "WIDTHxHEIGHT" of the window's client area
#   wine_linux_pictures LINUX_HALDEN PIC_DIR DIR
#                            runs the Linux build windowed and saves what it
#                            draws as DIR/linux-day.png, linux-night.png (lights
#                            on) and linux-bump.png (lights off, bump floor)
#
# Wine's own processes (wineserver, explorer.exe, services.exe) are not
# children of the script; they belong to the prefix and are ended through
# its wineserver, before the harness ends Xvfb.

# shellcheck source=../e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts, and no menu entries on the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

WINE_LOADER=""
WINESERVER=/usr/lib/wine/wineserver
# The exit status that CTest reads as "skipped" (SKIP_RETURN_CODE).
WINE_SKIP=77

_wine_end_prefix() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
}

_wine_cleanup() {
  local status=$?
  set +e
  _wine_end_prefix
  (exit "$status")
  _e2e_cleanup
}
trap _wine_cleanup EXIT

# Ends the script as skipped; nothing it made is worth keeping.
wine_skip() {
  e2e_log "SKIP: $*"
  trap - EXIT
  rm -rf "$E2E_TMP"
  exit "$WINE_SKIP"
}

# Which Wine runs EXE: the header's magic number tells PE32 from PE32+.
wine_select() {
  local exe=$1 magic
  [ -f "$exe" ] || e2e_fail "$exe is not built (scripts/test.sh builds it first; or" \
    "cmake --preset mingw32 && cmake --build --preset mingw32, mingw64 likewise)"
  magic=$(objdump -p "$exe" | awk '$1 == "Magic" && !seen {print $2; seen = 1}')
  case $magic in
    010b) WINE_LOADER=/usr/lib/wine/wine; export WINEARCH=win32 ;;
    020b) WINE_LOADER=/usr/lib/wine/wine64; export WINEARCH=win64 ;;
    *) e2e_fail "$exe is not a Windows program (PE magic '$magic')" ;;
  esac
  [ -e "$WINE_LOADER" ] || e2e_fail "$WINE_LOADER is missing: scripts/deps.sh windows"
  export WINELOADER=$WINE_LOADER
  if [ "$WINEARCH" = win32 ]; then _wine_require_i386; fi
}

# The 32-bit Wine is itself an i386 Linux program. Some x86-64 kernels are
# built or booted without i386 support (some virtual machines cannot offer
# it); there, only user-mode emulation could run it, and every Wine process
# then takes about a minute to start. Both cases are reported as skipped.
_wine_require_i386() {
  local entry
  if ! "$WINE_LOADER" --version >/dev/null 2>&1; then
    wine_skip "this kernel cannot run 32-bit x86 programs, so the 32-bit Wine cannot start"
  fi
  for entry in /proc/sys/fs/binfmt_misc/*; do
    if [ -f "$entry" ] && grep -qx enabled "$entry" && grep -q '^magic 7f454c4601010100.*0300$' "$entry"; then
      wine_skip "32-bit x86 programs run here only under emulation ($entry), far too slowly"
    fi
  done
}

wine_use_prefix() {
  local state=$1
  [ -s "$state" ] || e2e_fail "no Wine prefix recorded in $state (the prefix fixture did not run)"
  WINEPREFIX=$(cat "$state")
  export WINEPREFIX
  [ -d "$WINEPREFIX/drive_c/windows" ] || e2e_fail "$WINEPREFIX is not a Wine prefix"
}

wine_start_program() {
  local pic=$1 exe
  exe=$(readlink -f "$2")
  e2e_start_program --copy-pic "$pic" -- "$WINE_LOADER" "$exe"
}

# A message box's X window has the box's caption as its name. Wine routes a
# key to the window it has made the foreground one, and drops keys that come
# while there is none; the box becomes the foreground as it is shown, so the
# key waits until its X window is mapped, and a moment more. Even so, in a
# virtual desktop a box that opens right after a display mode change can miss
# its first key. An OK box is given Return again until it goes (a Return that
# comes late can only press OK); Yes and No are typed once, since a second
# one that came late could answer the next question.
wine_answer() {
  local caption=$1 key=$2 seconds=${3:-30} id tries=1
  id=$(e2e_find_message_box "$caption" "$seconds")
  e2e_wait_for 10 _wine_mapped "$id" || e2e_fail "the box \"$caption\" was never shown"
  sleep 0.3
  [ "$key" = Return ] && tries=5
  while :; do
    e2e_log "box \"$caption\": $key"
    e2e_key "$id" "$key" 2>/dev/null || true
    if [ "$tries" -le 1 ]; then
      e2e_wait_for 30 e2e_window_gone "$id" && return 0
      e2e_fail "the box \"$caption\" did not take the key $key"
    fi
    e2e_wait_for 3 e2e_window_gone "$id" && return 0
    tries=$((tries - 1))
  done
}

_wine_mapped() {
  xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# After the window shows, the open probes the GL extensions (and shows its
# notice when both are offered) before the first frame is drawn.
wine_notice_or_room() {
  local window=$1 deadline=$((SECONDS + 30))
  while [ "$SECONDS" -lt "$deadline" ]; do
    if wine_box_showing "feature supported!"; then
      wine_answer "feature supported!" Return >&2
      echo notice
      return 0
    fi
    if wine_shot "$window" "$E2E_TMP/first.png" 2>/dev/null && _wine_room_drawn "$E2E_TMP/first.png"; then
      echo none
      return 0
    fi
    sleep 0.1
  done
  e2e_fail "neither the room nor the \"feature supported!\" box appeared"
}

wine_box_showing() {
  local caption
  for caption in "$@"; do
    _e2e_search_box "$caption" >/dev/null && return 0
  done
  return 1
}

# Wine's msgbox channel (WINEDEBUG=+msgbox) logs each box's text as it opens:
#   0024:trace:msgbox:MSGBOX_OnInit L"Initialization Failed."
wine_box_texts() {
  sed -n 's/^.*:trace:msgbox:MSGBOX_OnInit L"\(.*\)"$/\1/p' "$1"
}

wine_shot() {
  local id=$1 out=$2 x y w h
  read -r x y w h < <(e2e_window_geometry "$id")
  import -window root "$out.full.png" &&
    convert "$out.full.png" -crop "${w}x${h}+${x}+${y}" +repage "$out" &&
    rm -f "$out.full.png"
}

# Root-mean-square difference of two pictures, 0 (same) to 1.
wine_distance() {
  compare -metric RMSE "$1" "$2" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p'
}

# The same scene drawn by the Linux build and by Wine differs in a few
# dozen of its 307200 pixels; anything the keys change moves far more.
WINE_SAME_BELOW=0.01
WINE_DIFFER_ABOVE=0.03

wine_same() {
  local d
  d=$(wine_distance "$1" "$2")
  awk -v d="$d" -v t="$WINE_SAME_BELOW" 'BEGIN {exit !(d != "" && d < t)}'
}

wine_differ() {
  local d
  d=$(wine_distance "$1" "$2")
  awk -v d="$d" -v t="$WINE_DIFFER_ABOVE" 'BEGIN {exit !(d != "" && d > t)}'
}

# The textured room has thousands of colours; an empty window, a desktop
# behind it or a message box over it a hundred at most.
_wine_room_drawn() {
  [ "$(convert "$1" -format '%k' info:)" -ge 1000 ]
}

_wine_settled() {
  local id=$1 out=$2 black_too=$3
  wine_shot "$id" "$out.next" || return 1
  if [ -f "$out" ] && { [ "$black_too" = black-too ] || _wine_room_drawn "$out.next"; } &&
    [ "$(wine_distance "$out" "$out.next")" = 0 ]; then
    rm -f "$out.next"
    return 0
  fi
  mv "$out.next" "$out"
  return 1
}

wine_settled_shot() {
  local id=$1 out=$2 black_too=${3:-}
  rm -f "$out"
  e2e_wait_for 20 _wine_settled "$id" "$out" "$black_too" ||
    e2e_fail "the window's picture did not settle (last shot: $out)"
}

# xdotool presses keys in the focused window through XTEST, and the server
# would repeat a key held past its auto-repeat delay; B and F1 act on every
# press. Holding a key until its effect shows can take longer than that delay,
# so the scenarios' screen has no auto-repeat.
wine_start_display() {
  e2e_start_display 1024x768x24 fresh
  python3 - <<'PYTHON' || e2e_fail "could not switch off key auto-repeat on $DISPLAY"
import ctypes, sys
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XAutoRepeatOff.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
x11.XAutoRepeatOff(display)
x11.XCloseDisplay(display)
PYTHON
}

wine_hold_key() {
  local id=$1 key=$2 seconds=$3 status=0
  shift 3
  xdotool keydown --window "$id" "$key" 2>/dev/null || true
  e2e_wait_for "$seconds" "$@" || status=1
  _wine_release "$id" "$key"
  return "$status"
}

# xdotool presses a key in the focused window through XTEST, where it must
# also be released (or the server repeats it), even when the key has closed
# that window.
_wine_release() {
  xdotool keyup --window "$1" "$2" 2>/dev/null || xdotool keyup "$2" 2>/dev/null || true
}

_wine_picture_is() {
  wine_shot "$1" "$E2E_TMP/now.png" && "wine_$2" "$E2E_TMP/now.png" "$3"
}

wine_hold_for_picture() {
  wine_hold_key "$1" "$2" 20 _wine_picture_is "$1" "$3" "$4"
}

wine_nudge_for_picture() {
  local id=$1 key=$2 picture=$3 try
  for ((try = 0; try < 40; try++)); do
    xdotool keydown --window "$id" "$key" 2>/dev/null || true
    sleep 0.05
    _wine_release "$id" "$key"
    # Let the frame after the release reach the screen.
    sleep 0.1
    _wine_picture_is "$id" differ "$picture" && return 0
  done
  return 1
}

wine_client_size() {
  local w h
  read -r _ _ w h < <(e2e_window_geometry "$1")
  echo "${w}x${h}"
}

wine_linux_pictures() {
  local linux=$1 pic=$2 dir=$3 window
  # The Linux build's boxes take Escape for No and Return for OK.
  e2e_start_program --copy-pic "$pic" -- "$linux"
  local pid=$E2E_PID
  wine_answer "Start FullScreen?" Escape
  window=$(e2e_find_window Halden 20)
  wine_notice_or_room "$window" >/dev/null
  wine_settled_shot "$window" "$dir/linux-day.png"
  wine_hold_for_picture "$window" n differ "$dir/linux-day.png" ||
    e2e_fail "Linux build: N did not switch the lights on"
  wine_settled_shot "$window" "$dir/linux-night.png"
  wine_hold_for_picture "$window" d same "$dir/linux-day.png" ||
    e2e_fail "Linux build: D did not switch the lights off"
  wine_hold_for_picture "$window" b differ "$dir/linux-day.png" ||
    e2e_fail "Linux build: B did not swap the floor"
  wine_settled_shot "$window" "$dir/linux-bump.png"
  wine_hold_key "$window" Escape 10 _e2e_exited "$pid" || e2e_fail "Linux build: Esc did not end it"
  e2e_wait_exit "$pid" 10
  [ "$E2E_EXIT_STATUS" = 0 ] || e2e_fail "Linux build: exit status $E2E_EXIT_STATUS after Esc"
}
