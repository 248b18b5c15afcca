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

viewer_expect_probe_drawn "$window"

e2e_request_close "$window"
e2e_wait_exit "$E2E_PID" 20
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "the probe ended with status $E2E_EXIT_STATUS"
e2e_log "passed"
