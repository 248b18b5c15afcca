#!/usr/bin/env bash
# Fullscreen on the SDL2 layer under a 640x480 Xvfb (whose only mode is its
# own size): CDS_FULLSCREEN refuses 800x600 with DISP_CHANGE_BADMODE and
# accepts 640x480, and a WS_POPUP window then covers the whole screen and
# shows what its context drew.
#   platform_fullscreen.sh PROBE
source "$(dirname "$0")/../harness/viewer.sh"

probe=$1
e2e_start_display 640x480x24 fresh
viewer_start_probe "$probe" fullscreen
out=$E2E_STDOUT
e2e_check grep -q '^CDS 800x600 -2$' "$out" -- "800x600 was not refused with DISP_CHANGE_BADMODE"
e2e_check grep -q '^CDS 640x480 0$' "$out" -- "640x480 was not accepted"
e2e_wait_for_line "$out" '^WM_SIZE kind=0 width=640 height=480 ' 5 ||
  e2e_fail "no WM_SIZE of the full screen"

window=$(e2e_find_window "$VIEWER_PROBE_TITLE")
geometry=$(e2e_window_geometry "$window")
[ "$geometry" = "0 0 640 480" ] || e2e_fail "the window is at $geometry, not 0 0 640 480"

viewer_expect_probe_drawn "$window"

e2e_request_close "$window"
e2e_wait_exit "$E2E_PID" 20
grep '^FAIL' "$out" >&2 || true
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "the probe ended with status $E2E_EXIT_STATUS"
e2e_log "passed"
