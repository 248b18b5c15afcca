# Steps shared by the viewer's end-to-end scenarios; sourced after lib.sh.
# They answer the viewer's message boxes, find its window and compare
# pictures of its client area.

# Presses KEY (Return: Yes or OK; Escape: No) in the message box with CAPTION.
viewer_answer() {
  local caption=$1 key=$2 box
  box=$(e2e_find_message_box "$caption" 15)
  e2e_key "$box" "$key"
  e2e_wait_for 10 e2e_window_gone "$box" || e2e_fail "the box \"$caption\" did not go away"
}

_viewer_notice_shown() {
  xwininfo -root -tree 2>/dev/null | grep -qF '"feature supported!":'
}

# Every open probes the driver; when it offers multitexturing the viewer says
# so in a box that must be answered before the first frame. Waits a while for
# it and carries on without it on a driver that has nothing to say.
viewer_dismiss_notice() {
  if e2e_wait_for "${1:-10}" _viewer_notice_shown; then
    viewer_answer "feature supported!" Return
  else
    e2e_log "no multitexture notice on this driver"
  fi
}

_viewer_window_id() {
  local pattern id
  pattern=$(printf '%s' "$1" | sed 's/[][\.*^$(){}?+|/]/\\&/g')
  id=$(xdotool search --name "^${pattern}\$" 2>/dev/null | head -n 1) || true
  [ -n "$id" ] && xwininfo -id "$id" >/dev/null 2>&1 && VIEWER_WINDOW=$id
}

# Sets VIEWER_WINDOW to the id of the viewer's window titled TITLE, once it
# exists and answers; fails after 15 s. (Not printed for $(...): a search
# that comes up empty there would go unnoticed.)
viewer_find_window() {
  VIEWER_WINDOW=""
  e2e_wait_for 15 _viewer_window_id "$1" || e2e_fail "no window titled \"$1\""
}

# Starts the viewer in a fresh folder with the pictures, answers the start-up
# question with KEY (Return: fullscreen, Escape: windowed).
viewer_start() {
  local binary=$1 pictures=$2 key=$3
  e2e_start_program --pic "$pictures" -- "$binary"
  viewer_answer "Start FullScreen?" "$key"
}

# Saves the client area of window ID as FILE (PNG).
viewer_shot() {
  local id=$1 file=$2 x y width height
  read -r x y width height <<<"$(e2e_window_geometry "$id")"
  sleep 0.3  # a few frames after the last key
  e2e_screenshot "$E2E_TMP/screen.png"
  convert "$E2E_TMP/screen.png" -crop "${width}x${height}+${x}+${y}" +repage "$file"
}

# How many pixels of two pictures of the same size differ by more than a few
# percent.
viewer_difference() {
  local count
  count=$(compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 >/dev/null) || true
  printf '%.0f\n' "${count%% *}"
}

# Fails unless the pictures differ in at least MIN pixels.
viewer_expect_change() {
  local before=$1 after=$2 what=$3 min=${4:-500} changed
  changed=$(viewer_difference "$before" "$after")
  [ "$changed" -ge "$min" ] || e2e_fail "$what: only $changed pixels changed"
  e2e_log "$what: $changed pixels changed"
}

# Fails unless the pictures are the same but for at most MAX pixels.
viewer_expect_same() {
  local first=$1 second=$2 what=$3 max=${4:-50} changed
  changed=$(viewer_difference "$first" "$second")
  [ "$changed" -le "$max" ] || e2e_fail "$what: $changed pixels differ"
  e2e_log "$what: same picture ($changed pixels differ)"
}

# Distinct colours in a picture: a drawn room has many, an empty clear one.
viewer_colours() { convert "$1" -format '%k' info:; }

# Holds KEY in window ID for a few frames when the key closes that window
# (F1, Esc). The release then has no window to go to; when xdotool pressed
# the key through XTEST (it does for the focused window) it must still be
# released there, or the server's auto-repeat would press it again in the
# next window.
viewer_press_closing() {
  local id=$1 key=$2
  xdotool keydown --window "$id" "$key" 2>"$E2E_TMP/xdotool.err" ||
    { cat "$E2E_TMP/xdotool.err" >&2; e2e_fail "could not press $key"; }
  sleep 0.2
  xdotool keyup --window "$id" "$key" 2>/dev/null || xdotool keyup "$key" 2>/dev/null || true
}

# Mean brightness (0 to 1) of the top HEIGHT rows of a picture.
viewer_top_brightness() {
  convert "$1" -crop "x${2}+0+0" +repage -colorspace gray -format '%[fx:mean]' info:
}
