#!/usr/bin/env bash
# The SDL2 layer under Xvfb: X events reach the probe's window procedure as
# the window messages a Win32 program gets. Typed keys give WM_KEYDOWN and
# WM_KEYUP with Windows' virtual-key codes, a held key repeats WM_KEYDOWN,
# minimise and restore give WM_ACTIVATE (and WM_SIZE), a resize gives WM_SIZE
# in client pixels, a close request gives WM_CLOSE, and so does SIGTERM (so
# a killed program still ends through its own path); showing the window sends
# WM_ACTIVATE and WM_SIZE before ShowWindow returns. The probe's own exit
# status covers releasing every handle twice and opening a second window.
#   platform_events.sh PROBE
source "$(dirname "$0")/../harness/viewer.sh"

probe=$1
e2e_start_display 1024x768x24 fresh
viewer_start_probe "$probe"
out=$E2E_STDOUT
window=$(e2e_find_window "$VIEWER_PROBE_TITLE")

lines() { wc -l <"$out"; }
# Waits for a line matching REGEX after the first N lines of the log.
wait_after() {
  local n=$1 regex=$2
  e2e_wait_for 5 _match_after "$n" "$regex" || e2e_fail "no line like '$regex' after line $n"
}
_match_after() { tail -n "+$(($1 + 1))" "$out" | grep -q -E -- "$2"; }

# ---- Showing the window ----
e2e_check grep -q '^WM_ACTIVATE state=1 minimised=0 via=ShowWindow' "$out" -- \
  "ShowWindow did not send WM_ACTIVATE"
e2e_check grep -q '^WM_SIZE kind=0 width=320 height=240 via=ShowWindow' "$out" -- \
  "ShowWindow did not send WM_SIZE with the 320x240 client area"
size=$(e2e_client_size "$window")
[ "$size" = 320x240 ] || e2e_fail "client area is $size, not 320x240"

# ---- Typed keys: exactly one key-down and one key-up, with Windows' code ----
while read -r key code; do
  n=$(lines)
  e2e_key "$window" "$key"
  wait_after "$n" "^WM_KEYUP vk=$code "
  got=$(tail -n "+$((n + 1))" "$out" | grep '^WM_KEY' | cut -d' ' -f1-3 | paste -sd' ')
  [ "$got" = "WM_KEYDOWN vk=$code previous=0 WM_KEYUP vk=$code previous=1" ] ||
    e2e_fail "key $key gave: $got"
done <<'KEYS'
a 0x41
z 0x5a
b 0x42
5 0x35
0 0x30
Return 0x0d
Escape 0x1b
space 0x20
Tab 0x09
F1 0x70
F12 0x7b
Up 0x26
Down 0x28
Left 0x25
Right 0x27
shift 0x10
ctrl 0x11
alt 0x12
Prior 0x21
KP_Enter 0x0d
KEYS

# ---- A held key repeats its WM_KEYDOWN, then comes up once ----
e2e_focus "$window"
n=$(lines)
e2e_key_down Up
sleep 1.5  # past the server's auto-repeat delay
e2e_key_up Up
wait_after "$n" '^WM_KEYUP vk=0x26 '
held=$(tail -n "+$((n + 1))" "$out" | grep '^WM_KEY')
first=$(head -n 1 <<<"$held" | cut -d' ' -f1-3)
repeats=$(grep -c '^WM_KEYDOWN vk=0x26 previous=1' <<<"$held" || true)
ups=$(grep -c '^WM_KEYUP vk=0x26' <<<"$held" || true)
[ "$first" = "WM_KEYDOWN vk=0x26 previous=0" ] || e2e_fail "held key began with: $first"
[ "$repeats" -ge 3 ] || e2e_fail "held key repeated $repeats times"
[ "$ups" -eq 1 ] || e2e_fail "held key came up $ups times"
e2e_log "held Up: $repeats repeats"

# ---- Minimise and restore ----
n=$(lines)
e2e_minimise "$window"
wait_after "$n" '^WM_ACTIVATE state=0 minimised=1 '
wait_after "$n" '^WM_SIZE kind=1 width=0 height=0 '
n=$(lines)
e2e_restore "$window"
wait_after "$n" '^WM_ACTIVATE state=1 minimised=0 '
wait_after "$n" '^WM_SIZE kind=0 width=320 height=240 '

# ---- Resize ----
n=$(lines)
e2e_resize "$window" 400 300
wait_after "$n" '^WM_SIZE kind=0 width=400 height=300 '

# ---- Close request ----
n=$(lines)
e2e_request_close "$window"
wait_after "$n" '^WM_CLOSE '
e2e_wait_exit "$E2E_PID" 20
grep '^FAIL' "$out" >&2 || true
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "the probe ended with status $E2E_EXIT_STATUS"
e2e_check grep -q '^WM_QUIT code=0' "$out" -- "WM_QUIT did not follow WM_CLOSE"

# ---- SIGTERM ----
viewer_start_probe "$probe"
out=$E2E_STDOUT
kill -TERM "$E2E_PID"
e2e_wait_exit "$E2E_PID" 20
e2e_check grep -q '^WM_CLOSE ' "$out" -- "SIGTERM did not become WM_CLOSE"
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "after SIGTERM the probe ended with status $E2E_EXIT_STATUS"
e2e_log "passed"
