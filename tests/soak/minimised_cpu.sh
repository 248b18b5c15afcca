#!/usr/bin/env bash
# CPU use of the real program under Xvfb, shown and then minimised: while
# minimised the frame loop draws nothing but keeps presenting and applying
# the controls, and presenting is paced, so it must not spin a core. A
# measurement for people, not a test: it prints the share of one core used
# by the program and by the X server over each span (from /proc/PID/stat),
# and checks only that the program still ends with status 0 on Esc once
# restored.
#
#   minimised_cpu.sh BINARY PIC_DIR [SECONDS=10]
source "$(dirname "$0")/../harness/viewer.sh"

binary=$1
pictures=$2
seconds=${3:-10}

e2e_start_display 1024x768x24 fresh
viewer_start "$pictures" "$binary"
viewer_answer "$VIEWER_START_BOX" no
viewer_open "$VIEWER_TITLE"
window=$VIEWER_WINDOW
sleep 2  # past the first frames' shader compiles

e2e_cpu_use "shown, 640x480" "$seconds" program "$E2E_PID" Xvfb "$E2E_XVFB_PID"
e2e_minimise "$window"
sleep 1
e2e_cpu_use "minimised" "$seconds" program "$E2E_PID" Xvfb "$E2E_XVFB_PID"

# Without a window manager nobody gives the focus back on restore.
e2e_restore "$window"
e2e_focus "$window"
sleep 1
viewer_escape "$window" 10
