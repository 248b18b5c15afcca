#!/usr/bin/env bash
# Fullscreen for real: in a Wine virtual desktop, which offers 640 by 480 at
# 16 bits, the program's DEVMODEA is accepted, so Yes at start-up gives a
# 640 by 480 popup filling the desktop, drawn as the Linux build draws the
# room. F1 restores the desktop's mode and opens a window; F1 again returns
# to fullscreen; Esc ends the program with status 0. No fallback question.
#
#   fullscreen_desktop.sh EXE PREFIX_STATE PIC_DIR LINUX_HALDEN
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

wine_linux_pictures "$linux" "$pic" "$shots"

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

desktop_title="halden - Wine desktop"
desktop_size() {
  local id
  id=$(e2e_find_message_box "$desktop_title" 10)
  wine_client_size "$id"
}

export WINEDEBUG=-all,+msgbox
wine_start_program "$pic" "$program"
wine_answer "Start FullScreen?" y 60
window=$(e2e_find_window Halden 20)
[ "$(desktop_size)" = 640x480 ] || e2e_fail "the desktop is $(desktop_size), not the 640x480 mode"
read -r x y w h < <(e2e_window_geometry "$window")
[ "$x $y ${w}x${h}" = "0 0 640x480" ] || e2e_fail "the fullscreen window is ${w}x${h} at $x,$y"
notice=$(wine_notice_or_room "$window")
wine_settled_shot "$window" "$shots/fullscreen.png"
e2e_check wine_same "$shots/fullscreen.png" "$shots/linux-day.png" -- \
  "the fullscreen room differs from the Linux build's (see $shots)"

# F1: the desktop's own mode again, and a window.
wine_hold_key "$window" F1 20 e2e_window_gone "$window" || e2e_fail "F1 did not close the fullscreen window"
window=$(e2e_find_window "Tarn's Textures, Lighting & Keyboard Tutorial" 20)
[ "$(wine_notice_or_room "$window")" = "$notice" ] || e2e_fail "F1: the notice did not come as at start-up"
[ "$(desktop_size)" = 1024x768 ] || e2e_fail "F1 left the desktop at $(desktop_size)"
wine_settled_shot "$window" "$shots/windowed.png"

# F1 again: fullscreen again.
wine_hold_key "$window" F1 20 e2e_window_gone "$window" || e2e_fail "the second F1 did not close the window"
window=$(e2e_find_window "Tarn's Textures, Lighting & Keyboard Tutorial" 20)
[ "$(wine_notice_or_room "$window")" = "$notice" ] || e2e_fail "F1 twice: the notice did not come as at start-up"
[ "$(desktop_size)" = 640x480 ] || e2e_fail "the second F1 left the desktop at $(desktop_size)"
wine_settled_shot "$window" "$shots/fullscreen-again.png"
e2e_check wine_same "$shots/fullscreen-again.png" "$shots/linux-day.png" -- \
  "after F1 twice the fullscreen room differs from the Linux build's (see $shots)"

wine_hold_key "$window" Escape 20 _e2e_exited "$E2E_PID" || e2e_fail "Esc did not end the program"
e2e_wait_exit "$E2E_PID" 10
[ "$E2E_EXIT_STATUS" = 0 ] || e2e_fail "exit status $E2E_EXIT_STATUS after Esc, not 0"

if wine_box_texts "$E2E_STDERR" | grep -q 'Not Supported'; then
  e2e_fail "the fullscreen mode was refused in the virtual desktop"
fi
e2e_log "passed"
