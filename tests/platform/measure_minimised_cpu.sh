#!/usr/bin/env bash
# Measures the CPU time a minimised window's frame loop uses: the probe's idle
# mode (peek, swap, nothing drawn, as the viewer's loop runs while minimised)
# under Xvfb, minimised, sampled from /proc/<pid>/stat over a few seconds.
# A measurement for people, not a test: it prints the share of one core used
# by the probe and by the X server it presents to, and the swaps per second.
#   tests/platform/measure_minimised_cpu.sh build/<dir>/tests/platform/platform_probe [SECONDS=5]
source "$(dirname "$0")/../harness/viewer.sh"

probe=$1
seconds=${2:-5}

e2e_start_display 1024x768x24 fresh
viewer_start_probe "$probe" idle
window=$(e2e_find_window "$VIEWER_PROBE_TITLE")
e2e_minimise "$window"
e2e_wait_for_line "$E2E_STDOUT" 'WM_ACTIVATE .*minimised=1' 5 || e2e_fail "not minimised"
sleep 1

use=$(e2e_cpu_use "minimised loop" "$seconds" probe "$E2E_PID" Xvfb "$E2E_XVFB_PID")
e2e_restore "$window"
e2e_request_close "$window"
e2e_wait_exit "$E2E_PID" 10
echo "$use"
grep '^SWAPS' "$E2E_STDOUT" || true
