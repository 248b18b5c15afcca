#!/usr/bin/env bash
# A Windows zip holds one folder, halden-VERSION-winBITS, with exactly what a
# person needs to double-click the program: halden.exe of that word size, the
# seven pictures in Pic/ beside it, and README.txt on the keys and the
# start-up question, with CRLF line ends for Notepad. Read with Info-ZIP's
# unzip, not with the library that wrote it.
#
#   zip_contents.sh ZIP 32|64 VERSION
source "$(dirname "$0")/../harness/wine.sh"

zip=$1
bits=$2
version=$3
fail() { e2e_fail "$zip: $*"; }

[ -f "$zip" ] || fail "not built (cmake --workflow --preset mingw$bits)"
unzip -tq "$zip" >/dev/null || fail "unzip finds it damaged"
top=halden-$version-win$bits
expected=$(printf '%s\n' "$top/" "$top/Pic/" "$top/README.txt" "$top/halden.exe" \
  "$top/Pic/"{Ceilinglampday,Ceilinglampnight,pinkfloor1,pinkfloorbump1,rightwall,rightwall1,wall}.bmp |
  sort)
actual=$(unzip -Z1 "$zip" | sort)
# Folder entries are optional in a zip; the files are not.
actual_files=$(grep -v '/$' <<<"$actual" || true)
expected_files=$(grep -v '/$' <<<"$expected")
diff <(echo "$expected_files") <(echo "$actual_files") >&2 ||
  fail "holds other files than the program's (< expected, > in the zip)"
extra_folders=$(comm -13 <(echo "$expected") <(echo "$actual") | grep '/$' || true)
[ -z "$extra_folders" ] || fail "holds other folders: $extra_folders"

case $bits in
  32 | 64) ;;
  *) fail "word size must be 32 or 64, not $bits" ;;
esac
work=$E2E_TMP
unzip -q "$zip" "$top/halden.exe" "$top/README.txt" -d "$work"
[ "$(wine_pe_bits "$work/$top/halden.exe" || true)" = "$bits" ] ||
  fail "its halden.exe is not a $bits-bit program"

readme=$work/$top/README.txt
lines=$(wc -l <"$readme")
crlf=$(grep -c $'\r$' "$readme" || true)
[ "$lines" -gt 0 ] && [ "$crlf" -eq "$lines" ] || fail "README.txt has $crlf CRLF line ends of $lines"
tr -d '\r' <"$readme" >"$work/readme"
for text in "Up / Down" "Left / Right" "F1" "Esc" "$VIEWER_START_TEXT" \
  "Pic folder" "Halden, version $version"; do
  grep -qF "$text" "$work/readme" || fail "README.txt does not mention \"$text\""
done
for key in N D B; do
  grep -Eq "^ +$key +[a-z]" "$work/readme" || fail "README.txt does not say what $key does"
done
echo "$zip: $top with halden.exe ($bits-bit), Pic/ and README.txt"
