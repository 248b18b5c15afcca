#!/usr/bin/env bash
# The Windows program under Wine with Pic/wall.bmp missing: the loader's
# "Error" box names the file, the window is gone when "Initialization
# Failed." follows, and the program ends with a non-zero status.
#
#   missing_picture.sh EXE PREFIX_STATE PIC_DIR
source "$(dirname "$0")/wine_lib.sh"

exe=$1
state=$2
pic=$3

wine_select "$exe"
wine_use_prefix "$state"
wine_start_display
export WINEDEBUG=-all,+msgbox

pictures=$E2E_TMP/Pic
cp -r "$pic" "$pictures"
rm "$pictures/wall.bmp"

wine_start_program "$pictures" "$exe"
wine_answer "Start FullScreen?" n 60
e2e_find_window Halden 20 >/dev/null
# The probe runs before the pictures are loaded.
if e2e_wait_for 10 wine_box_showing "feature supported!" Error &&
  wine_box_showing "feature supported!"; then
  wine_answer "feature supported!" Return
fi
wine_answer Error Return
e2e_find_message_box ERROR 10 >/dev/null
e2e_check [ -z "$(_e2e_search_window Halden || true)" ] -- \
  "the window is still open while \"Initialization Failed.\" shows"
wine_answer ERROR Return
e2e_wait_exit "$E2E_PID" 20
[ "$E2E_EXIT_STATUS" != 124 ] || e2e_fail "the program did not end after \"Initialization Failed.\""
[ "$E2E_EXIT_STATUS" != 0 ] || e2e_fail "the failed start ended with exit status 0"

expected=("Would You Like To Run In Fullscreen Mode?")
if wine_box_texts "$E2E_STDERR" | grep -qx "The GL_ARB_multitexture extension will be used."; then
  expected+=("The GL_ARB_multitexture extension will be used.")
fi
expected+=('Failed to open DIB file Pic/wall.bmp.\n' "Initialization Failed.")
diff <(printf '%s\n' "${expected[@]}") <(wine_box_texts "$E2E_STDERR") >&2 ||
  e2e_fail "the message boxes differ from the expected ones (< expected, > shown)"
e2e_log "passed (exit status $E2E_EXIT_STATUS)"
