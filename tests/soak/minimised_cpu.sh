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
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/soak_lib.sh"

binary=$1
pictures=$2
seconds=${3:-10}
hertz=$(getconf CLK_TCK)

# Prints the CPU share of the program and of Xvfb over the next $seconds.
measure() {
  local what=$1 p0 x0 t0 p1 x1 t1
  p0=$(soak_cpu_ticks "$E2E_PID")
  x0=$(soak_cpu_ticks "$E2E_XVFB_PID")
  t0=$(date +%s.%N)
  sleep "$seconds"
  p1=$(soak_cpu_ticks "$E2E_PID")
  x1=$(soak_cpu_ticks "$E2E_XVFB_PID")
  t1=$(date +%s.%N)
  awk -v what="$what" -v p0="$p0" -v p1="$p1" -v x0="$x0" -v x1="$x1" -v t0="$t0" -v t1="$t1" \
    -v hz="$hertz" 'BEGIN {
      span = t1 - t0
      printf "%s over %.1f s: program %.1f%% of one core, Xvfb %.1f%%\n",
             what, span, 100 * (p1 - p0) / hz / span, 100 * (x1 - x0) / hz / span
    }'
}

e2e_start_display 1024x768x24 fresh
e2e_start_program --pic "$pictures" -- "$binary"
e2e_wait_for 15 _e2e_search_box "Start FullScreen?" >/dev/null || e2e_fail "no start-up question"
soak_answer_boxes
e2e_wait_for 15 _e2e_search_window "$SOAK_FIRST_TITLE" >/dev/null || e2e_fail "no window"
soak_answer_boxes
soak_find_program_window
sleep 2  # past the first frames' shader compiles

measure "shown, 640x480"
e2e_minimise "$SOAK_WINDOW"
sleep 1
measure "minimised"

# Without a window manager nobody gives the focus back on restore.
e2e_restore "$SOAK_WINDOW"
e2e_focus "$SOAK_WINDOW"
sleep 1
soak_tap "$SOAK_WINDOW" Escape 0.3
e2e_wait_exit "$E2E_PID" 10
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "Esc after restoring gave status $E2E_EXIT_STATUS"
