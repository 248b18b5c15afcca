#!/usr/bin/env bash
# Yes at the start-up question under Wine on Xvfb, which has no 640 by 480
# 16-bit mode: ChangeDisplaySettingsA refuses the mode and the program asks
# whether to use a window instead. Yes there gives the windowed program (Esc
# ends it with 0); No gives "Program Will Now Close." and a failed start,
# before any window was made.
#
#   fullscreen_fallback.sh EXE PREFIX_STATE PIC_DIR
source "$(dirname "$0")/wine_lib.sh"

exe=$1
state=$2
pic=$3

wine_select "$exe"
wine_use_prefix "$state"
wine_start_display
export WINEDEBUG=-all,+msgbox

question="Would You Like To Run In Fullscreen Mode?"
fallback='The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?'
probe="The GL_ARB_multitexture extension will be used."

# Yes, then Yes: a 640 by 480 window with the windowed styles.
wine_start_program "$pic" "$exe"
wine_answer "Start FullScreen?" y 60
wine_answer "Tarn GL" y
window=$(e2e_find_window Halden 20)
size=$(wine_client_size "$window")
[ "$size" = 640x480 ] || e2e_fail "client area is $size, not 640x480"
if e2e_wait_for 10 wine_box_showing "feature supported!"; then
  wine_answer "feature supported!" Return
fi
wine_settled_shot "$window" "$E2E_TMP/room.png"
wine_hold_key "$window" Escape 20 _e2e_exited "$E2E_PID" || e2e_fail "Esc did not end the program"
e2e_wait_exit "$E2E_PID" 10
[ "$E2E_EXIT_STATUS" = 0 ] || e2e_fail "exit status $E2E_EXIT_STATUS after Esc, not 0"
texts=$(wine_box_texts "$E2E_STDERR")
[ "$texts" = "$(printf '%s\n' "$question" "$fallback" "$probe")" ] ||
  [ "$texts" = "$(printf '%s\n' "$question" "$fallback")" ] ||
  e2e_fail "after Yes, Yes the boxes were:"$'\n'"$texts"

# Yes, then No: the program gives up before making a window.
wine_start_program "$pic" "$exe"
wine_answer "Start FullScreen?" y 60
wine_answer "Tarn GL" n
e2e_find_message_box ERROR 10 >/dev/null
e2e_check [ -z "$(_e2e_search_window Halden || true)" ] -- "a window was made after No"
wine_answer ERROR Return
e2e_wait_exit "$E2E_PID" 20
[ "$E2E_EXIT_STATUS" != 0 ] || e2e_fail "the refused start ended with exit status 0"
[ "$E2E_EXIT_STATUS" != 124 ] || e2e_fail "the program did not end after \"Program Will Now Close.\""
texts=$(wine_box_texts "$E2E_STDERR")
[ "$texts" = "$(printf '%s\n' "$question" "$fallback" "Program Will Now Close.")" ] ||
  e2e_fail "after Yes, No the boxes were:"$'\n'"$texts"
e2e_log "passed (exit status $E2E_EXIT_STATUS)"
