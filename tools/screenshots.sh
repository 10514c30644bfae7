#!/bin/bash
# Saves screenshots of Quellrin's windows (main, tip, parting box, the
# confirmation, progress) under a private Xvfb, where Wine draws the frames
# itself, into build/mingw32/screenshots, and prints their paths.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_machine
build_all
trap stop_all EXIT
start_xvfb
ensure_prefix
start_wine_session

OUT="$BUILD/screenshots"
WORK="$TESTAREA/screenshots"
rm -rf "$WORK" && mkdir -p "$WORK/Steam GTA5" "$WORK/Epic" "$OUT"
# Enough to copy that the bar is caught on its way.
for i in $(seq 1 40); do head -c 4M /dev/zero >"$WORK/Steam GTA5/data$i.rpf"; done
for i in $(seq 1 300); do echo "$i" >"$WORK/Steam GTA5/small$i.txt"; done

wine "$BUILD/tests/screenshots.exe" "$(winepath_of "$BUILD/app/Quellrin.exe")" \
  'T:\screenshots\Steam GTA5' 'T:\screenshots\Epic' "$(winepath_of "$OUT")" </dev/null 2>&1 |
  iconv -f GBK -t UTF-8 || true
rm -rf "$WORK"
for bmp in "$OUT"/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  echo "${bmp%.bmp}.png"
done
