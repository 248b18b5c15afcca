#!/usr/bin/env bash
# Smoke test of the harness and the SDL2 layer together: under a private
# Xvfb, the probe program's window is found by its title, shows what its GL
# context drew (a red quad on dark blue), and ends cleanly on a close request.
#   smoke_platform.sh PROBE
source "$(dirname "$0")/../harness/viewer.sh"

probe=$1
e2e_start_display 1024x768x24 fresh
viewer_start_probe "$probe"
window=$(e2e_find_window "$VIEWER_PROBE_TITLE")
[ "$(e2e_client_size "$window")" = 320x240 ] || e2e_fail "client area is $(e2e_client_size "$window")"

sleep 0.5  # a few frames
shot="$E2E_TMP/window.png"
e2e_window_shot "$window" "$shot"
centre=$(e2e_colour "$shot" 160 120)
edge=$(e2e_colour "$shot" 4 4)
e2e_colour_near "$centre" "255 0 0" || e2e_fail "window centre is $centre, not the red quad"
e2e_colour_near "$edge" "0 0 128" || e2e_fail "window edge is $edge, not the dark blue clear"

e2e_request_close "$window"
e2e_wait_exit "$E2E_PID" 20
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "the probe ended with status $E2E_EXIT_STATUS"
e2e_log "passed"
