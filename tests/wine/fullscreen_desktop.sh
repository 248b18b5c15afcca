#!/usr/bin/env bash
# Fullscreen for real: in a Wine virtual desktop, which offers 640 by 480 at
# 16 bits, the program's DEVMODEA is accepted, so Yes at start-up gives a
# 640 by 480 popup filling the desktop, drawn as the Linux build draws the
# room. F1 restores the desktop's mode and opens a window; F1 again returns
# to fullscreen; Esc ends the program with status 0. No fallback question.
#
#   fullscreen_desktop.sh EXE PREFIX_STATE PIC_DIR LINUX_HALDEN
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
# F1 acts on every press, and keys are held until their effect shows.
e2e_auto_repeat off

viewer_linux_pictures "$linux" "$pic" "$shots"

# The virtual desktop is asked for by the program's file name, so that the
# other scenarios in this prefix keep running as plain X windows.
program=$E2E_TMP/halden_desktop.exe
cp "$exe" "$program"
cat >"$E2E_TMP/desktop.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\halden_desktop.exe\Explorer]
"Desktop"="halden"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"halden"="1024x768"
REG
(cd "$E2E_TMP" && "$WINE_LOADER" regedit /S desktop.reg) || e2e_fail "regedit failed"

desktop_size() {
  local id
  id=$(e2e_find_message_box "halden - Wine desktop" 10) || exit 1
  e2e_client_size "$id"
}

# F1 and a window that shows the room as at start-up, in a desktop of SIZE.
reopen() {
  local what=$1 size=$2 old=$window
  e2e_hold_until "$old" F1 20 e2e_window_gone "$old" || e2e_fail "$what did not close the window"
  viewer_open "$VIEWER_REOPENED_TITLE"
  window=$VIEWER_WINDOW
  [ "$VIEWER_NOTICE" = "$notice" ] || e2e_fail "$what: the notice did not come as at start-up"
  [ "$(desktop_size)" = "$size" ] || e2e_fail "$what left the desktop at $(desktop_size)"
}

wine_trace_boxes
wine_start "$pic" "$program"
viewer_answer "$VIEWER_START_BOX" yes 60
viewer_open "$VIEWER_TITLE"
window=$VIEWER_WINDOW
notice=$VIEWER_NOTICE
[ "$(desktop_size)" = 640x480 ] || e2e_fail "the desktop is $(desktop_size), not the 640x480 mode"
geometry=$(e2e_window_geometry "$window")
[ "$geometry" = "0 0 640 480" ] || e2e_fail "the fullscreen window is at $geometry, not 0 0 640 480"
viewer_settled_shot "$window" "$shots/fullscreen.png"
e2e_expect_same "$shots/fullscreen.png" "$shots/linux-day.png" \
  "the fullscreen room against the Linux build's"

# F1: the desktop's own mode again, and a window.
reopen "F1" 1024x768
viewer_settled_shot "$window" "$shots/windowed.png"

# F1 again: fullscreen again.
reopen "the second F1" 640x480
viewer_settled_shot "$window" "$shots/fullscreen-again.png"
e2e_expect_same "$shots/fullscreen-again.png" "$shots/linux-day.png" \
  "after F1 twice, the fullscreen room against the Linux build's"

viewer_escape "$window"

if wine_box_texts "$E2E_STDERR" | grep -qxF "$VIEWER_FALLBACK_TEXT"; then
  e2e_fail "the fullscreen mode was refused in the virtual desktop"
fi
e2e_log "passed"
