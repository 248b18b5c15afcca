#!/usr/bin/env bash
# Smoke test of the harness and the SDL2 layer together: under a private
# Xvfb, the probe program's window is found by its title, shows what its GL
# context drew (a red quad on dark blue), and ends cleanly on a close request.
#   smoke_platform.sh PROBE
source "$(dirname "$0")/lib.sh"

probe=$1
e2e_start_display 1024x768x24 fresh
e2e_start_program -- "$probe"
e2e_wait_for_line "$E2E_STDOUT" '^READY' 15 || e2e_fail "the probe did not open its window"
window=$(e2e_find_window "Halden platform probe")
read -r x y width height <<<"$(e2e_window_geometry "$window")"
[ "${width}x${height}" = 320x240 ] || e2e_fail "client area is ${width}x${height}"

sleep 0.5  # a few frames
shot="$E2E_TMP/window.png"
e2e_screenshot "$shot"
centre=$(e2e_pixel "$shot" $((x + width / 2)) $((y + height / 2)))
edge=$(e2e_pixel "$shot" $((x + 4)) $((y + 4)))
e2e_colour_near "$centre" "255 0 0" || e2e_fail "window centre is $centre, not the red quad"
e2e_colour_near "$edge" "0 0 128" || e2e_fail "window edge is $edge, not the dark blue clear"

e2e_request_close "$window"
e2e_wait_exit "$E2E_PID" 20
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "the probe ended with status $E2E_EXIT_STATUS"
e2e_log "passed"
