#!/usr/bin/env bash
# The Debian package as a person uses it: installed with apt-get, started the
# way its desktop entry says (Exec= run in Path=) under Xvfb, the start-up
# question answered, the room seen, Esc with exit status 0; then removed
# (and purged, were anything kept), leaving none of its files and no trace in
# dpkg's database.
# Installing needs root: anyone else gets CTest's skip code.
#
#   deb_install.sh DEB
source "$(dirname "$0")/../harness/viewer.sh"

deb=$(readlink -f "$1")

[ -f "$deb" ] || e2e_fail "$1 is not built (cmake --workflow --preset package)"
[ "$(id -u)" -eq 0 ] || e2e_skip "installing a package needs root"

package=$(dpkg-deb -f "$deb" Package)
version=$(dpkg-deb -f "$deb" Version)
# dpkg's three-letter state of the package ("ii " installed, "rc " removed
# with its settings kept); empty, or "n" in the middle, when it is not there.
installed_status() { dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null || true; }
on_system() { case $(installed_status) in "" | ?n*) return 1 ;; *) return 0 ;; esac; }
! on_system ||
  e2e_fail "$package is already on this system ($(installed_status)); purge it first" \
    "(apt-get purge $package) so that this test can tell what it installs"

# What of the package's folders the system had before: those stay.
declare -A existed=()
while read -r path; do
  path=${path#.}
  path=${path%/}
  [ -n "$path" ] && [ -d "$path" ] && existed[$path]=1
done < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep '/$')

apt_get() {
  DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300 "$@" \
    >>"$E2E_TMP/apt.log" 2>&1 || { tail -n 30 "$E2E_TMP/apt.log" >&2; e2e_fail "apt-get $* failed"; }
}

# However the test ends, the package does not stay installed.
we_installed=0
purge_ours() {
  if [ "$we_installed" = 1 ] && on_system; then
    DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300 purge "$package" \
      >/dev/null 2>&1 || true
  fi
}
e2e_on_exit purge_ours

dpkg-query -W -f='${Package}\n' >"$E2E_TMP/packages.before"
we_installed=1
apt_get install --no-install-recommends "$deb"
[ "$(installed_status)" = "ii " ] || e2e_fail "$package is not installed after apt-get ($(installed_status))"
[ "$(dpkg-query -W -f='${Version}' "$package")" = "$version" ] ||
  e2e_fail "dpkg has another version of $package installed"
dpkg-query -W -f='${Package}\n' >"$E2E_TMP/packages.after"
pulled=$(comm -13 <(sort "$E2E_TMP/packages.before") <(sort "$E2E_TMP/packages.after") |
  grep -vx "$package" || true)
[ -z "$pulled" ] || e2e_log "apt-get also installed: $(tr "\n" " " <<<"$pulled")"
dpkg -L "$package" >"$E2E_TMP/files"

# ---- The desktop entry ----

entry=/usr/share/applications/$package.desktop
grep -qx "$entry" "$E2E_TMP/files" || e2e_fail "the package installs no $entry"
desktop-file-validate "$entry" >&2 || e2e_fail "$entry does not validate"
key() { sed -n "s/^$1=//p" "$entry" | head -n 1; }
exec_line=$(key Exec)
path=$(key Path)
icon=$(key Icon)
# The entry names one program and no arguments, so its words are the command.
case $exec_line in
  *[\"\'\\%\$\`]*) e2e_fail "Exec=$exec_line needs the desktop entry's quoting rules" ;;
esac
read -r -a command <<<"$exec_line"
[ ${#command[@]} -ge 1 ] || e2e_fail "the entry has no Exec="
[ -d "$path" ] || e2e_fail "Path=$path is not a folder"
[ "$(find "$path/Pic" -name '*.bmp' | wc -l)" -eq 7 ] ||
  e2e_fail "Path=$path has not the seven pictures in Pic/"
grep -q "^/usr/share/icons/hicolor/.*/apps/$icon.png\$" "$E2E_TMP/files" ||
  e2e_fail "Icon=$icon is not in the hicolor theme"

# ---- Started from the entry ----

e2e_start_display 1024x768x24 fresh
# As a desktop launches it: change to Path=, then run Exec= there.
viewer_start - /bin/sh -c 'cd "$1" && shift && exec "$@"' sh "$path" "${command[@]}"
viewer_answer "$VIEWER_START_BOX" no
viewer_open "$VIEWER_TITLE"
window=$VIEWER_WINDOW
viewer_shot "$window" "$E2E_TMP/room.png"
colours=$(e2e_colours "$E2E_TMP/room.png")
viewer_room_drawn "$E2E_TMP/room.png" || e2e_fail "the window shows $colours colours: no room drawn"
brightness=$(convert "$E2E_TMP/room.png" -colorspace gray -format '%[fx:mean]' info:)
awk -v b="$brightness" 'BEGIN { exit !(b > 0.2) }' ||
  e2e_fail "the window is nearly black (mean brightness $brightness)"
e2e_log "the installed program shows the room ($colours colours, brightness $brightness)"
viewer_escape "$window"

# ---- Removed, then purged ----

left_behind() {
  local path
  while read -r path; do
    [ "$path" = /. ] && continue
    [ -e "$path" ] || [ -L "$path" ] || continue
    if [ -d "$path" ] && [ ! -L "$path" ]; then
      [ -n "${existed[$path]:-}" ] && continue
      dpkg-query -S "$path" >/dev/null 2>&1 && continue  # another package's folder too
    fi
    echo "$path"
  done <"$E2E_TMP/files"
}

apt_get remove "$package"
left=$(left_behind)
[ -z "$left" ] || e2e_fail "apt-get remove left: $(tr "\n" " " <<<"$left")"
# With no settings files to keep, removing is already purging: dpkg forgets
# the package, and apt-get would not know what to purge.
if on_system; then
  e2e_log "removed, dpkg keeps $package as $(installed_status); purging"
  apt_get purge "$package"
  left=$(left_behind)
  [ -z "$left" ] || e2e_fail "apt-get purge left: $(tr "\n" " " <<<"$left")"
fi
! on_system || e2e_fail "dpkg still has $package after the purge ($(installed_status))"
dpkg -l | awk -v p="$package" '$2 == p { found = 1 } END { exit found }' ||
  e2e_fail "dpkg -l still lists $package"
we_installed=0
e2e_log "installed, started from its desktop entry and removed without a trace: $package $version"
