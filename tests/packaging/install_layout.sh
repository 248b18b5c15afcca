#!/usr/bin/env bash
# Where the release build installs to, and what its Debian package holds,
# without installing anything on the system:
# - `cmake --install` into a scratch prefix puts exactly the program in bin/,
#   the seven pictures in share/halden/Pic/, an icon of each size in the
#   hicolor theme and a desktop entry that passes desktop-file-validate and
#   names that prefix (Exec= its program, Path= the folder holding Pic/);
# - the .deb holds the same files under /usr and nothing else, its entry
#   names /usr, and its Depends: names the package of every shared library
#   the program links, and libgl1, which SDL loads at run time.
#
#   install_layout.sh PACKAGE_BUILD_DIR DEB VERSION SOURCE_DIR
set -euo pipefail

build=$1
deb=$2
version=$3
source_dir=$4
fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }
log() { printf '%s\n' "$*" >&2; }

[ -f "$build/CMakeCache.txt" ] && [ -f "$deb" ] ||
  fail "the package is not built (cmake --workflow --preset package)"
work=$(mktemp -d "${TMPDIR:-/tmp}/halden-install.XXXXXX")
trap 'rm -rf "$work"' EXIT

pictures=(Ceilinglampday.bmp Ceilinglampnight.bmp pinkfloor1.bmp pinkfloorbump1.bmp rightwall.bmp
  rightwall1.bmp wall.bmp)
sizes=()
for icon in "$source_dir"/packaging/icons/halden-*.png; do
  size=${icon##*halden-}
  sizes+=("${size%.png}")
done
[ ${#sizes[@]} -ge 5 ] || fail "no icons under $source_dir/packaging/icons"

# The files an install under PREFIX must make, one a line, sorted.
expected_files() {
  local prefix=$1 name size
  echo "$prefix/bin/halden"
  echo "$prefix/share/applications/halden.desktop"
  for name in "${pictures[@]}"; do echo "$prefix/share/halden/Pic/$name"; done
  for size in "${sizes[@]}"; do echo "$prefix/share/icons/hicolor/${size}x${size}/apps/halden.png"; done
}

# The value of KEY in the desktop entry ENTRY.
entry_value() { sed -n "s/^$2=//p" "$1"; }

# The desktop entry ENTRY validates and names PREFIX.
check_entry() {
  local entry=$1 prefix=$2 key want
  desktop-file-validate "$entry" >&2 || fail "$entry does not validate"
  for key in Exec Path Icon Type; do
    case $key in
      Exec) want=$prefix/bin/halden ;;
      Path) want=$prefix/share/halden ;;
      Icon) want=halden ;;
      Type) want=Application ;;
    esac
    [ "$(entry_value "$entry" "$key")" = "$want" ] ||
      fail "$entry: $key=$(entry_value "$entry" "$key"), not $want"
  done
  grep -q '^Categories=.*Graphics;' "$entry" || fail "$entry: not among the graphics programs"
}

# ---- cmake --install into a scratch prefix ----

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; fail "cmake --install failed"; }
diff <(expected_files "$prefix" | sort) <(find "$prefix" -type f | sort) >&2 ||
  fail "cmake --install put other files in place (< expected, > installed)"
[ -x "$prefix/bin/halden" ] || fail "the installed program is not executable"
for name in "${pictures[@]}"; do
  cmp -s "$prefix/share/halden/Pic/$name" "$source_dir/Pic/$name" || fail "Pic/$name differs from the source's"
done
for size in "${sizes[@]}"; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/halden.png
  [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "$icon is not ${size}x${size}"
done
check_entry "$prefix/share/applications/halden.desktop" "$prefix"
log "cmake --install --prefix: the program, pictures, icons and entry in place"

# ---- The Debian package ----

[ "$(dpkg-deb -f "$deb" Package)" = halden ] || fail "$deb is not the halden package"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$deb is not version $version"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] ||
  fail "$deb is not for $(dpkg --print-architecture)"
diff <(expected_files /usr | sort) \
  <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./|/|' | sort) >&2 ||
  fail "the package holds other files than the program's (< expected, > in the package)"
mkdir "$work/deb"
dpkg-deb -x "$deb" "$work/deb"
check_entry "$work/deb/usr/share/applications/halden.desktop" /usr

depends=$(dpkg-deb -f "$deb" Depends)
log "Depends: $depends"
# The package names alone, one a line, alternatives too.
depends_names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//; s/^ *//; s/ *$//')
needs_package() {
  grep -qxF "$1" <<<"$depends_names" || fail "Depends: does not name $1 (for $2)"
}
needs_package libgl1 "libGL.so.1, which SDL loads"
needed=$(readelf -d "$work/deb/usr/bin/halden" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || fail "the packaged program links no shared library?"
cache=$(ldconfig -p)
for library in $needed; do
  # The library of the program's own word size (ldconfig says "x86-64").
  path=$(awk -v lib="$library" '$1 == lib && /x86-64/ { print $NF; exit }' <<<"$cache")
  [ -n "$path" ] || fail "$library is not installed here"
  # dpkg knows each file under one name: merged /usr may have moved it.
  owner=""
  for candidate in "$path" "$(readlink -f "$path")" "/usr$path" "/usr$(readlink -f "$path")"; do
    owner=$(dpkg-query -S "$candidate" 2>/dev/null || true)
    owner=${owner%%:*}
    [ -n "$owner" ] && break
  done
  [ -n "$owner" ] || fail "no package owns $path"
  needs_package "$owner" "$library"
done
log "$(basename "$deb"): the program's files under /usr, depending on the packages of $(tr "\n" " " <<<"$needed")"
