#!/usr/bin/env bash
# MessageBoxA on the SDL2 layer under Xvfb: Return picks the default button
# (Yes, OK) and Escape picks No (or OK).
#   platform_message_boxes.sh PROBE
source "$(dirname "$0")/../harness/x11.sh"

probe=$1
e2e_start_display 1024x768x24 fresh
e2e_start_program --env HALDEN_PROBE_MODE=boxes -- "$probe"

# caption, key, expected answer (IDYES 6, IDNO 7, IDOK 1)
number=0
while read -r key answer caption; do
  number=$((number + 1))
  box=$(e2e_find_message_box "$caption")
  e2e_key "$box" "$key"
  e2e_wait_for_line "$E2E_STDOUT" "^ANSWER $number " 10 || e2e_fail "box \"$caption\" did not close"
  e2e_check grep -q "^ANSWER $number $answer\$" "$E2E_STDOUT" -- \
    "$key in \"$caption\" answered $(grep "^ANSWER $number " "$E2E_STDOUT"), expected $answer"
done <<'BOXES'
Return 6 Probe question
Escape 7 Probe question two
Return 1 Probe notice
Escape 1 Probe notice two
BOXES

e2e_wait_exit "$E2E_PID" 10
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "the probe ended with status $E2E_EXIT_STATUS"
e2e_log "passed"
