#!/bin/sh
# Reads the built program back with the MinGW binutils and checks what the
# resources and the PE header promise: a GUI program that needs no MinGW DLL,
# with its manifest, its icon group, its version information and the tip picture.
# Usage: check-exe.sh Quellrin.exe objdump windres tip.jpg
set -u
exe=$1 objdump=$2 windres=$3 picture=$4
failures=0
not() { ! "$@"; }
holds() { printf '%s\n' "$1" | grep -Fq "$2"; } # holds text fixed-string
check() { # check "what" command...
  what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAIL: $what"
    failures=$((failures + 1))
  fi
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$objdump" -p "$exe" >"$work/headers" || { echo "FAIL: objdump cannot read $exe"; exit 1; }
"$windres" -i "$exe" -O rc -o "$work/res.rc" || { echo "FAIL: windres cannot read $exe"; exit 1; }
"$windres" -i "$exe" -O res -o "$work/res.res" || { echo "FAIL: windres cannot read $exe"; exit 1; }

# The lines of one resource's BEGIN ... END block, found by its header line.
block() { awk -v head="$1" 'index($0, head) == 1 { on = 1; next } on && /^END/ { exit } on' "$work/res.rc"; }

# ---- PE header ----
check "subsystem is Windows GUI" grep -Eq '^Subsystem[[:space:]]+00000002' "$work/headers"
grep 'DLL Name:' "$work/headers" | sed 's/.*DLL Name: *//' >"$work/dlls"
check "imports some DLL" test -s "$work/dlls"
check "imports no MinGW runtime DLL" not grep -Eiq 'libgcc|libstdc|libwinpthread|mingw' "$work/dlls"

# ---- Manifest: RT_MANIFEST 1; windres prints it as quoted lines with "" for " ----
block '1 24 ' | sed -e 's/^ *"//' -e 's/\\n"$//' -e 's/"$//' -e 's/""/"/g' | tr '\n' ' ' \
  >"$work/manifest"
controls=$(grep -o '<assemblyIdentity[^>]*"Microsoft.Windows.Common-Controls"[^>]*>' \
  "$work/manifest")
check "manifest is resource 1" test -s "$work/manifest"
check "manifest requires administrator" \
  grep -Eq '<requestedExecutionLevel +level="requireAdministrator" +uiAccess="false"' \
  "$work/manifest"
check "manifest asks for Common-Controls 6.0.0.0" holds "$controls" 'version="6.0.0.0"'
check "Common-Controls for x86" holds "$controls" 'processorArchitecture="x86"'

# ---- Icon group DEFAULT_ICON: one element line per image, "width height
# colours pad" as escaped bytes, then planes, bits, bytes and the RT_ICON
# number; that image's BITMAPINFOHEADER (size, width, twice the height for
# the mask, planes and bits as one word) must agree. ----
block '"DEFAULT_ICON" 14 ' | grep 'Element no' >"$work/icons"
: >"$work/sizes"
while IFS= read -r line; do
  bytes=$(printf '%s\n' "$line" | sed 's/^[[:space:]]*"\([^"]*\)".*/\1/')
  # shellcheck disable=SC2059,SC2046 # the escapes are the data; the words are the fields
  set -- $(printf "$bytes" | od -An -tu1) \
    $(printf '%s\n' "$line" | sed 's/^[[:space:]]*"[^"]*"//; s/\/\*.*//' | tr ',' ' ')
  width=$1 height=$2 colours=$3 planes=$5 bits=$6 image=$8
  # shellcheck disable=SC2046
  set -- $(block "$image 3 " | grep -m 1 "0x" | tr ',' ' ')
  image_ok=no
  [ "${2:-}" = "$(printf '0x%xL' "$width")" ] && [ "${3:-}" = "$(printf '0x%xL' $((2 * height)))" ] &&
    [ "${4:-}" = "$(printf '0x%xL' $((bits * 65536 + planes)))" ] && image_ok=yes
  echo "${width}x$height colours=$colours planes=$planes bits=$bits image=$image_ok" >>"$work/sizes"
done <"$work/icons"
check "icon group DEFAULT_ICON has 16, 32 and 48 pixel images of 16 colours" \
  test "$(cat "$work/sizes")" = "$(printf '%s\n' \
  '16x16 colours=16 planes=1 bits=4 image=yes' '32x32 colours=16 planes=1 bits=4 image=yes' \
  '48x48 colours=16 planes=1 bits=4 image=yes')"

# ---- Version information ----
block '1 VERSIONINFO' >"$work/version"
sed -n '/^1 VERSIONINFO/,/^BEGIN/p' "$work/res.rc" >>"$work/version"
has() { grep -Eq "$1" "$work/version"; }
check "file version 1.0.0.0" has '^ *FILEVERSION 1, 0, 0, 0$'
check "product version 1.0.0.0" has '^ *PRODUCTVERSION 1, 0, 0, 0$'
check "file type application" has '^ *FILETYPE 0x1$'
check "strings for 0804, 04B0" has '^ *BLOCK "080404B0"'
check "file description Quellrin" has '^ *VALUE "FileDescription", "Quellrin"$'
check "product name Quellrin" has '^ *VALUE "ProductName", "Quellrin"$'
check "translation 0x0804 with 0x04B0" has '^ *VALUE "Translation", 0x804, 1200$'

# ---- The tip picture: RCDATA "TIP_PICTURE", the committed JPEG byte for byte ----
# In the binary .res a resource's header starts with its data size and header
# size, then its type (FFFF 000A for RCDATA) and its name in UTF-16; the data
# follows the header unchanged.
check "tip picture resource" grep -q '^"TIP_PICTURE" RCDATA' "$work/res.rc"
# (grep reads lines, so the search is for the name alone: the type holds a 0x0A.)
name=$(LC_ALL=C grep -obUaP 'T\x00I\x00P\x00_\x00P\x00I\x00C\x00T\x00U\x00R\x00E\x00\x00\x00' \
  "$work/res.res" | head -n 1 | cut -d: -f1)
: >"$work/picture"
if [ -n "$name" ] && [ "$(od -An -tx1 -j "$((name - 4))" -N 4 "$work/res.res" | tr -d ' ')" = ffff0a00 ]; then
  header=$((name - 12))
  # shellcheck disable=SC2046 # data size, header size
  set -- $(od -An -tu4 -j "$header" -N 8 "$work/res.res")
  tail -c +"$((header + $2 + 1))" "$work/res.res" | head -c "$1" >"$work/picture"
fi
check "tip picture is the committed JPEG, byte for byte" cmp -s "$work/picture" "$picture"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed; resources as windres reads them:"
  grep -E '^/\* (Type|Name)|^ *Name:' "$work/res.rc"
  exit 1
fi
