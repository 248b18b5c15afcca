#!/usr/bin/env bash
# Soak of the real program under Xvfb: for a bounded time it gets random
# input from its own key set (arrows, B, D, N and F1; typed, held long enough
# for the server's auto-repeat, two at once), is minimised and restored,
# resized to anything from 1 by 1 up, and has its message boxes answered as
# they come (the start-up question, the probe's notice at every open, the
# fullscreen fallback question). It must never crash or show an error box,
# must end with status 0 after a final Esc, and its resident memory at the
# checkpoints after warm-up must stay within 5% of the first one.
#
#   program_soak.sh BINARY PIC_DIR [--seconds N] [--seed N] [--screen WxHxD]
#                   [--warm-up N] [--trace FILE]
#
# --seconds   length of the random phase (default 60)
# --seed      seed of the input sequence (default: from the clock, printed);
#             the same seed gives the same sequence of actions, so a failure
#             can be replayed (the program's timing still differs)
# --screen    Xvfb screen (default 1024x768x24: F1's fullscreen 640x480 mode
#             is refused and the fallback question is answered Yes; with
#             640x480x24 the fullscreen mode exists)
# --warm-up   seconds before the first memory checkpoint (default a third of
#             the run, at most 60)
# --trace     also write every resident-memory sample ("seconds kB kind")
#
# Memory checkpoints are taken in one state (no box, restored, 640 by 480,
# after a moment's rest), so window size and minimising do not count as
# growth. Every action goes to stderr with its time; the last line on stdout
# sums the run up.
source "$(dirname "$0")/../harness/viewer.sh"

binary=$1
pictures=$2
shift 2
seconds=60
seed=$(($(date +%s%N) % 32768))
screen=1024x768x24
warm_up=""
trace=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --screen) screen=$2; shift 2 ;;
    --warm-up) warm_up=$2; shift 2 ;;
    --trace) trace=$2; shift 2 ;;
    *) e2e_fail "unknown option $1" ;;
  esac
done
if [ -z "$warm_up" ]; then
  warm_up=$((seconds / 3))
  [ "$warm_up" -le 60 ] || warm_up=60
fi
[ -n "$trace" ] || trace=$E2E_TMP/resident.trace
: >"$trace"
e2e_log "seed $seed, $seconds s, screen $screen, warm-up $warm_up s"
RANDOM=$seed

# A random number from 0 to $1 - 1 in $pick. Drawn only in this shell (a
# subshell would start its own sequence), so the seed fixes the actions.
pick=0
draw() { pick=$((RANDOM % $1)); }

tap_keys=(Up Down Left Right b d n)
held_keys=(Up Down Left Right b d n Up Left Down Right F1)
actions=0
f1_presses=0
minimised=0

fail() { e2e_fail "$* (replay with --seed $seed)"; }

check_alive() {
  # Somebody else's clean-up of /tmp would take the program's Pic/ with it.
  [ -d "$E2E_WORKDIR/Pic/" ] || fail "the run's folder $E2E_WORKDIR has been removed"
  if ! kill -0 "$E2E_PID" 2>/dev/null; then
    e2e_wait_exit "$E2E_PID" 1
    fail "the program ended by itself with status $E2E_EXIT_STATUS"
  fi
}

# Restores a minimised window and gives it the focus back, as a window
# manager would; without one, X leaves the focus where the unmap put it and
# the program would get no keys.
restore() {
  e2e_restore "$1" 2>/dev/null || true
  e2e_focus "$1" 2>/dev/null || true
}

# Brings the program to the checkpoint state: no box, restored, 640 by 480.
settle() {
  local tries
  for tries in $(seq 1 50); do
    check_alive
    viewer_answer_boxes
    viewer_current_window
    [ -n "$VIEWER_WINDOW" ] && break
    sleep 0.2
  done
  [ -n "$VIEWER_WINDOW" ] || fail "the program shows no window"
  if [ "$minimised" -eq 1 ]; then
    restore "$VIEWER_WINDOW"
    minimised=0
  fi
  e2e_resize "$VIEWER_WINDOW" 640 480 2>/dev/null || true
  e2e_focus "$VIEWER_WINDOW" 2>/dev/null || true
}

checkpoints=()
checkpoint() {
  settle
  sleep 1.5
  viewer_answer_boxes
  local kb
  kb=$(e2e_resident_kb "$E2E_PID")
  checkpoints+=("$kb")
  printf '%s %s checkpoint\n' "$((SECONDS - started))" "$kb" >>"$trace"
  e2e_log "checkpoint: resident $kb kB"
}

# ---- Start-up ----
e2e_start_display "$screen" fresh
viewer_start "$pictures" "$binary"
e2e_wait_for 15 e2e_box_showing "$VIEWER_START_BOX" || fail "no start-up question"
settle
sleep 2  # the first frames, and the probe's notice
settle
resident_start=$(e2e_resident_kb "$E2E_PID")
e2e_log "program pid $E2E_PID, resident $resident_start kB after start-up"
started=$SECONDS

# ---- Random phase ----
end=$((started + seconds))
next_checkpoint=$((started + warm_up))
sample_at=$SECONDS
while [ "$SECONDS" -lt "$end" ]; do
  check_alive
  viewer_answer_boxes
  if [ "$SECONDS" -ge "$next_checkpoint" ]; then
    checkpoint
    next_checkpoint=$((SECONDS + 10 + seconds / 20))
    continue
  fi
  if [ "$SECONDS" -ge "$sample_at" ]; then
    printf '%s %s sample\n' "$((SECONDS - started))" "$(e2e_resident_kb "$E2E_PID")" >>"$trace"
    sample_at=$((SECONDS + 1))
  fi
  viewer_current_window
  window=$VIEWER_WINDOW
  if [ -z "$window" ]; then
    sleep 0.1
    continue
  fi
  actions=$((actions + 1))
  draw 100
  if [ "$pick" -lt 40 ]; then
    # One to four typed keys, each held under the auto-repeat delay.
    draw 4
    count=$((pick + 1))
    while [ "$count" -gt 0 ]; do
      draw ${#tap_keys[@]}
      key=${tap_keys[$pick]}
      draw 26
      printf -v hold '0.%02d' $((pick + 5))
      e2e_log "tap $key for ${hold}s"
      e2e_hold "$window" "$key" "$hold" 2>/dev/null || true
      count=$((count - 1))
    done
  elif [ "$pick" -lt 60 ]; then
    # One or two keys held past the auto-repeat delay, through XTEST to the
    # focused window.
    draw ${#held_keys[@]}
    first=${held_keys[$pick]}
    draw 3
    second=""
    if [ "$pick" -eq 0 ]; then
      draw ${#tap_keys[@]}
      second=${tap_keys[$pick]}
    fi
    draw 20
    hold="$((pick / 10 + 1)).$((pick % 10))"  # 1.0 to 2.9 s
    e2e_log "hold $first${second:+ and $second} for ${hold}s"
    [ "$first" = F1 ] && f1_presses=$((f1_presses + 1))
    e2e_focus "$window" 2>/dev/null || true
    e2e_key_down "$first" 2>/dev/null || true
    [ -n "$second" ] && { e2e_key_down "$second" 2>/dev/null || true; }
    sleep "$hold"
    [ -n "$second" ] && { e2e_key_up "$second" 2>/dev/null || true; }
    e2e_key_up "$first" 2>/dev/null || true
  elif [ "$pick" -lt 70 ]; then
    e2e_log "F1"
    f1_presses=$((f1_presses + 1))
    e2e_hold "$window" F1 0.25 2>/dev/null || true
  elif [ "$pick" -lt 82 ]; then
    # Minimised for a while, sometimes with a key sent to the minimised
    # window (which has no focus then, so nothing should come of it).
    draw 20
    away="$((pick / 10)).$((pick % 10))5"  # 0.05 to 1.95 s
    e2e_log "minimise for ${away}s"
    e2e_minimise "$window" 2>/dev/null || true
    minimised=1
    draw 2
    if [ "$pick" -eq 0 ]; then
      draw ${#tap_keys[@]}
      e2e_log "tap ${tap_keys[$pick]} while minimised"
      e2e_hold "$window" "${tap_keys[$pick]}" 0.2 2>/dev/null || true
    fi
    sleep "$away"
    e2e_log "restore"
    restore "$window"
    minimised=0
  elif [ "$pick" -lt 95 ]; then
    draw 10
    case "$pick" in
      0) width=1; height=1 ;;
      1) width=640; height=480 ;;
      2) draw 400; width=$((pick + 1)); height=1 ;;
      *) draw 1000; width=$((pick + 1)); draw 720; height=$((pick + 1)) ;;
    esac
    e2e_log "resize to ${width}x$height"
    e2e_resize "$window" "$width" "$height" 2>/dev/null || true
    sleep 0.2
  else
    draw 10
    e2e_log "idle 0.${pick}5s"
    sleep "0.${pick}5"
  fi
done

# ---- The end: a last checkpoint, then Esc ----
checkpoint
settle
e2e_log "Esc"
e2e_hold "$VIEWER_WINDOW" Escape 0.3 2>/dev/null || true
e2e_wait_exit "$E2E_PID" 20
if [ "$E2E_EXIT_STATUS" -eq 124 ]; then
  # Esc may have reached a window that an F1 repeat was replacing.
  settle
  e2e_hold "$VIEWER_WINDOW" Escape 0.3 2>/dev/null || true
  e2e_wait_exit "$E2E_PID" 20
fi
[ "$E2E_EXIT_STATUS" -eq 0 ] || fail "the program ended with status $E2E_EXIT_STATUS after Esc"
if [ -s "$E2E_STDERR" ]; then
  e2e_log "the program's stderr:"
  cat "$E2E_STDERR" >&2
fi

# ---- Memory ----
[ ${#checkpoints[@]} -ge 2 ] || fail "fewer than two memory checkpoints: run longer"
baseline=${checkpoints[0]}
final=${checkpoints[${#checkpoints[@]} - 1]}
peak=$(printf '%s\n' "${checkpoints[@]}" | sort -n | tail -n 1)
peak_sample=$(awk '{print $2}' "$trace" | sort -n | tail -n 1)
percent() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%+.2f%%", 100 * (b - a) / a}'; }
e2e_log "checkpoints (kB): ${checkpoints[*]}"
printf 'soak seed %s: %s s, %s actions, %s F1 presses, %s reopenings, %s boxes (%s probe, %s fallback); ' \
  "$seed" "$((SECONDS - started))" "$actions" "$f1_presses" "$((VIEWER_OPENS - 1))" \
  "$VIEWER_BOXES" "$VIEWER_NOTICE_BOXES" "$VIEWER_FALLBACK_BOXES"
printf 'resident %s kB at start-up, %s kB at the first checkpoint, %s kB at the last (%s), ' \
  "$resident_start" "$baseline" "$final" "$(percent "$baseline" "$final")"
printf 'checkpoint peak %s kB (%s), peak of all samples %s kB; exit status 0\n' \
  "$peak" "$(percent "$baseline" "$peak")" "$peak_sample"
awk -v a="$baseline" -v b="$peak" 'BEGIN {exit !(b < a * 1.05)}' ||
  fail "resident memory grew from $baseline kB to $peak kB after warm-up"
