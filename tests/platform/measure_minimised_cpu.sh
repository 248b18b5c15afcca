#!/usr/bin/env bash
# Measures the CPU time a minimised window's frame loop uses: the probe's idle
# mode (peek, swap, nothing drawn, as the viewer's loop runs while minimised)
# under Xvfb, minimised, sampled from /proc/<pid>/stat over a few seconds.
# A measurement for people, not a test: it prints the share of one core used
# by the probe and by the X server it presents to, and the swaps per second.
#   tests/platform/measure_minimised_cpu.sh build/<dir>/tests/platform/platform_probe [SECONDS=5]
source "$(dirname "$0")/../e2e/lib.sh"

probe=$1
seconds=${2:-5}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

e2e_start_display 1024x768x24 fresh
e2e_start_program --env HALDEN_PROBE_MODE=idle -- "$probe"
e2e_wait_for_line "$E2E_STDOUT" '^READY' 10 || e2e_fail "the probe did not start"
window=$(e2e_find_window "Halden platform probe")
e2e_minimise "$window"
e2e_wait_for_line "$E2E_STDOUT" 'WM_ACTIVATE .*minimised=1' 5 || e2e_fail "not minimised"
sleep 1

hertz=$(getconf CLK_TCK)
start_ticks=$(cpu_ticks "$E2E_PID")
start_server=$(cpu_ticks "$E2E_XVFB_PID")
start_time=$(date +%s.%N)
sleep "$seconds"
end_ticks=$(cpu_ticks "$E2E_PID")
end_server=$(cpu_ticks "$E2E_XVFB_PID")
end_time=$(date +%s.%N)

e2e_restore "$window"
e2e_request_close "$window"
e2e_wait_exit "$E2E_PID" 10
awk -v t0="$start_ticks" -v t1="$end_ticks" -v x0="$start_server" -v x1="$end_server" \
  -v s0="$start_time" -v s1="$end_time" -v hz="$hertz" 'BEGIN {
    span = s1 - s0
    printf "minimised loop over %.1f s: probe %.1f%% of one core, Xvfb %.1f%%\n",
           span, 100 * (t1 - t0) / hz / span, 100 * (x1 - x0) / hz / span
  }'
grep '^SWAPS' "$E2E_STDOUT" || true
