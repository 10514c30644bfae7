#!/bin/bash
# The whole conversion through the real Quellrin.exe against the plain tree
# copy of the same tree (treecopy.exe: CopyDirectoryTree alone, nobody
# measuring). The conversion's copy phase runs from the press of Yes until
# "复制完成" shows; its surplus over the plain copy is what the progress
# measuring (plus the set-up's size walk and the check) costs. Meanwhile the
# driver sends WM_NULL to the window thread every 20 ms: the longest wait is
# the longest the thread was blocked by one tick. Rounds alternate the order;
# every run copies the warm source into a target deleted just before.
# Usage: bench/conversion.sh [--quick | --many] [--runs N]
#   default: 3 files of 384 MiB, 16 of 2-8 MiB and 3000 of 1-64 KiB (about 1.3 GB), 3 rounds
#   --quick: 2 files of 64 MiB, 8 mid-sized and 600 small (about 170 MB), 2 rounds
#   --many:  10000 files of 1-16 KiB and nothing else, 3 rounds
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../tools/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/gametree.sh"

BIG_COUNT=3 BIG_MB=384 MID_COUNT=16 SMALL=3000 SMALL_MAX=65536 RUNS=3
while [ $# -gt 0 ]; do
  case "$1" in
  --quick) BIG_COUNT=2 BIG_MB=64 MID_COUNT=8 SMALL=600 RUNS=2 ;;
  --many) BIG_COUNT=0 MID_COUNT=0 SMALL=10000 SMALL_MAX=16384 ;;
  --runs) RUNS=$2; shift ;;
  *) echo "usage: $0 [--quick | --many] [--runs N]" >&2; exit 2 ;;
  esac
  shift
done

ensure_machine
build_all --target bench_conversion bench_treecopy Quellrin keepdesk
DRIVER="$BUILD/bench/conversion.exe"
TREECOPY="$BUILD/bench/treecopy.exe"
APP_WIN=$(winepath_of "$BUILD/app/Quellrin.exe")
AREA="$TESTAREA/bench-conversion"
AREA_WIN='T:\bench-conversion'
trap 'rm -rf "$AREA/target"; stop_all' EXIT
start_xvfb
ensure_prefix
start_wine_session
mkdir -p "$AREA"

SHAPE="b${BIG_COUNT}x${BIG_MB}-m${MID_COUNT}-s${SMALL}x${SMALL_MAX}"
SRC="$AREA/src-$SHAPE"
SRC_WIN="$AREA_WIN\\src-$SHAPE"
make_game_tree "$SRC" "$BIG_COUNT" "$BIG_MB" "$MID_COUNT" "$SMALL" 1024 "$SMALL_MAX"
TARGET="$AREA/target"

files_of() { find "$1" -type f | wc -l; }
bytes_of() { find "$1" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }'; }
fresh_target() { rm -rf "$TARGET"; mkdir -p "$TARGET"; sync; }
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<" $2"; }
check_copy() { # what, folder
  local f b
  f=$(files_of "$2") b=$(bytes_of "$2")
  if [ "$f" != "$files" ] || [ "$b" != "$bytes" ]; then
    echo "$1 left $f files, $b bytes of $files, $bytes" >&2
    exit 1
  fi
}

LINE=""
run_conversion() {
  fresh_target
  LINE=$(wine "$DRIVER" "$APP_WIN" "$SRC_WIN" "$AREA_WIN\\target" </dev/null 2>"$BUILD/bench/conversion.err" |
    tr -d '\r') || {
    echo "the conversion failed: $LINE $(cat "$BUILD/bench/conversion.err")" >&2
    exit 1
  }
  check_copy "the conversion" "$TARGET/GTAV"
  [ "$(ls -A "$TARGET")" = GTAV ] || { echo "the target holds more than GTAV: $(ls -A "$TARGET")" >&2; exit 1; }
}
run_plain() {
  fresh_target
  LINE=$(wine "$TREECOPY" "$SRC_WIN\\" "$AREA_WIN\\target\\copy" </dev/null 2>/dev/null | tr -d '\r') || {
    echo "the plain copy failed: $LINE" >&2
    exit 1
  }
  check_copy "the plain copy" "$TARGET/copy"
}

files=$(files_of "$SRC")
bytes=$(bytes_of "$SRC")
log "warming the source: $files files, $bytes bytes"
find "$SRC" -type f -exec cat {} + >/dev/null
quiet wine cmd /c exit 0

copy_times="" exit_times="" plain_times="" setup_max=0 block_max=0 block_p99=0
for run in $(seq 1 "$RUNS"); do
  if [ $((run % 2)) = 1 ]; then order=(conversion plain); else order=(plain conversion); fi
  for method in "${order[@]}"; do
    if [ "$method" = conversion ]; then
      run_conversion
      d=$(field done_ms "$LINE") e=$(field exit_ms "$LINE")
      copy_times="$copy_times $d" exit_times="$exit_times $e"
      m=$(field copy_block_max_ms "$LINE") p=$(field copy_block_p99_ms "$LINE") s=$(field setup_block_max_ms "$LINE")
      block_max=$(awk -v a="$block_max" -v b="$m" 'BEGIN { print (b > a ? b : a) }')
      block_p99=$(awk -v a="$block_p99" -v b="$p" 'BEGIN { print (b > a ? b : a) }')
      setup_max=$(awk -v a="$setup_max" -v b="$s" 'BEGIN { print (b > a ? b : a) }')
      log "round $run: conversion: $LINE"
    else
      run_plain
      plain_times="$plain_times $(field elapsed_ms "$LINE")"
      log "round $run: plain copy: $(field elapsed_ms "$LINE") ms"
    fi
  done
done
rm -rf "$TARGET"

best() { tr ' ' '\n' <<<"$1" | grep . | sort -n | head -1; }
median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

echo
printf 'Tree: %s files, %s MB (%s)\n' "$files" "$((bytes / 1000000))" "$SRC"
printf '%-44s %10s %10s   %s\n' "" "best ms" "median ms" "all rounds"
printf '%-44s %10s %10s  %s\n' "Conversion, Yes until 复制完成 (copy phase)" \
  "$(best "$copy_times")" "$(median "$copy_times")" "$copy_times"
printf '%-44s %10s %10s  %s\n' "Conversion, Yes until the program exits" \
  "$(best "$exit_times")" "$(median "$exit_times")" "$exit_times"
printf '%-44s %10s %10s  %s\n' "Plain copy, CopyDirectoryTree alone" \
  "$(best "$plain_times")" "$(median "$plain_times")" "$plain_times"
awk -v c="$(best "$copy_times")" -v p="$(best "$plain_times")" \
  -v cm="$(median "$copy_times")" -v pm="$(median "$plain_times")" 'BEGIN {
  printf "Copy phase / plain copy: %.3f best, %.3f median\n", c / p, cm / pm
  printf "Measuring cost (copy phase over plain copy): %.1f%% best, %.1f%% median (goal: under 5%%)\n",
    100 * (c - p) / c, 100 * (cm - pm) / cm }'
printf 'Window thread, longest wait for WM_NULL during the copy: max %s ms, p99 %s ms (worst round; goal: at most 100 ms)\n' \
  "$block_max" "$block_p99"
printf 'Window thread, longest wait during the set-up (source size, before the progress window): %s ms\n' \
  "$setup_max"
