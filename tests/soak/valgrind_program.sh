#!/usr/bin/env bash
# The real program under valgrind's memcheck, in an X window on Xvfb: the
# start-up question answered No, one F1 reopening (the fullscreen mode is
# refused on this screen and the fallback question answered Yes), then Esc.
# No invalid read or write and no use of uninitialised memory may be
# reported. valgrind.supp beside this script silences what the graphics
# stack (Mesa, LLVM, X, SDL) reports about itself; it names only those
# libraries, never a frame of the program.
#
#   valgrind_program.sh BINARY PIC_DIR [extra valgrind options]
#
# The whole report stays in the kept folder when the script fails; with
# E2E_KEEP=1 it is kept either way.
source "$(dirname "$0")/../harness/viewer.sh"

binary=$1
pictures=$2
shift 2
suppressions=$(readlink -f "$(dirname "$0")/valgrind.supp")
# One report per process: the SDL layer shows each message box from a
# forked child, which memcheck follows and reports on separately.
logs=$E2E_TMP/memcheck
# Everything is some ten to fifty times slower under valgrind, a box's going
# away after its key too.
slow=120
VIEWER_BOX_WAIT=30

e2e_start_display 1024x768x24 fresh
mkdir -p "$logs"
viewer_start "$pictures" "$(command -v valgrind)" --tool=memcheck \
  --track-origins=yes --num-callers=40 --suppressions="$suppressions" \
  --log-file="$logs/%p.log" \
  "$@" "$(readlink -f "$binary")"

# A frame takes seconds here: keys are held until the program has acted on
# them, and without auto-repeat, so F1 reopens exactly once.
e2e_auto_repeat off

viewer_answer "$VIEWER_START_BOX" no "$slow"
viewer_answer "$VIEWER_NOTICE_BOX" ok "$slow"
window=$(e2e_find_window "$VIEWER_TITLE" "$slow")
e2e_focus "$window"
sleep 5  # a few frames
e2e_log "F1"
e2e_hold_until "$window" F1 "$slow" e2e_box_showing "$VIEWER_FALLBACK_BOX" || e2e_fail "F1 did not reopen"
viewer_answer "$VIEWER_FALLBACK_BOX" yes "$slow"
viewer_answer "$VIEWER_NOTICE_BOX" ok "$slow"
window=$(e2e_find_window "$VIEWER_REOPENED_TITLE" "$slow")
e2e_focus "$window"
sleep 5
e2e_log "Esc"
e2e_hold_until "$window" Escape "$slow" e2e_exited "$E2E_PID" || true
e2e_wait_exit "$E2E_PID" 30
e2e_log "ended with status $E2E_EXIT_STATUS"

[ "$E2E_EXIT_STATUS" -ne 124 ] || e2e_fail "the program did not end after Esc"

# Each process's summary; then every error with its stack, as memcheck
# wrote it.
errors=0
for report in "$logs"/*.log; do
  summary=$(grep -E '== ERROR SUMMARY' "$report" | sed -E 's/^==[0-9]+== //')
  pid=$(basename "$report" .log)
  if [ "$pid" = "$E2E_PID" ]; then what="the program"; else what="a child it forked"; fi
  e2e_log "process $pid, $what: ${summary:-no summary (still running?)}"
  count=$(sed -nE 's/.*ERROR SUMMARY: ([0-9]+) errors.*/\1/p' "$report")
  errors=$((errors + ${count:-1}))
done
if [ "$errors" -ne 0 ]; then
  for report in "$logs"/*.log; do
    awk '/^==[0-9]+== [A-Z]/ && !/SUMMARY|Memcheck,|Copyright|Using Valgrind|Command:|For lists|For counts|Parent PID|Rerun with|in use at exit|total heap usage|definitely lost|indirectly lost|possibly lost|still reachable|suppressed:|Warning: invalid file descriptor|Use --log-fd/ {show = 1}
         /^==[0-9]+== *$/ {if (show) print; show = 0}
         show' "$report" >&2
  done
  e2e_fail "memcheck reported $errors errors (reports in $logs)"
fi
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "the program ended with status $E2E_EXIT_STATUS"
e2e_log "memcheck: no errors"
