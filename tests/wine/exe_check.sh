#!/usr/bin/env bash
# Checks that a built halden.exe is the self-contained native program: a GUI
# subsystem PE of the expected word size that imports only DLLs every Windows
# has (no MinGW runtime DLL beside it, no SDL), among them the real user32,
# gdi32, opengl32 and glu32.
#
#   exe_check.sh EXE 32|64
source "$(dirname "$0")/../harness/wine.sh"

exe=$1
bits=$2
fail() { e2e_fail "$exe: $*"; }

case $bits in
  32 | 64) ;;
  *) fail "word size must be 32 or 64, not $bits" ;;
esac
[ -f "$exe" ] || fail "not built (cmake --preset mingw$bits && cmake --build --preset mingw$bits)"
headers=$(objdump -p "$exe") || fail "objdump cannot read it"

[ "$(wine_pe_bits "$exe" || true)" = "$bits" ] || fail "not a $bits-bit PE image"
grep -Eq '^Subsystem[[:space:]]+0+2[[:space:]]+\(Windows GUI\)' <<<"$headers" ||
  fail "not a GUI-subsystem program"

mapfile -t dlls < <(awk '/DLL Name:/ {print toupper($3)}' <<<"$headers" | sort -u)
[ ${#dlls[@]} -gt 0 ] || fail "no imports found"
for dll in "${dlls[@]}"; do
  case $dll in
    KERNEL32.DLL | USER32.DLL | GDI32.DLL | OPENGL32.DLL | GLU32.DLL | MSVCRT.DLL) ;;
    *) fail "imports $dll, which is not part of Windows" ;;
  esac
done
for dll in USER32.DLL GDI32.DLL OPENGL32.DLL GLU32.DLL; do
  printf '%s\n' "${dlls[@]}" | grep -qx "$dll" || fail "does not import $dll"
done
echo "$exe: $bits-bit GUI program importing ${dlls[*]}"
