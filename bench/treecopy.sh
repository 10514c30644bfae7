#!/bin/bash
# The tree copy against its peers on one game-like tree: CopyDirectoryTree
# under Wine, Wine's own xcopy /E /I /Q, and native cp -r. Every copy reads the
# same source, warm in the page cache, into a destination deleted before each
# run, and every time includes the sync that puts the copy on disk. Then the
# peak memory of CopyDirectoryTree on a tree with ten times the files.
# Usage: bench/treecopy.sh [--quick] [--big-mb MB] [--small N] [--runs N]
#   default: 4 files of 448 MiB, 24 of 2-8 MiB and 3000 of 1-64 KiB (about 2 GB), 3 runs
#   --quick: 2 files of 64 MiB, 8 mid-sized and 600 small, 2 runs
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../tools/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/gametree.sh"

BIG_COUNT=4 BIG_MB=448 MID_COUNT=24 SMALL=3000 RUNS=3
while [ $# -gt 0 ]; do
  case "$1" in
  --quick) BIG_COUNT=2 BIG_MB=64 MID_COUNT=8 SMALL=600 RUNS=2 ;;
  --big-mb) BIG_MB=$2; shift ;;
  --small) SMALL=$2; shift ;;
  --runs) RUNS=$2; shift ;;
  *) echo "usage: $0 [--quick] [--big-mb MB] [--small N] [--runs N]" >&2; exit 2 ;;
  esac
  shift
done

ensure_machine
build_all --target bench_treecopy keepdesk
EXE="$BUILD/bench/treecopy.exe"
AREA="$TESTAREA/bench-treecopy"
AREA_WIN='T:\bench-treecopy'
trap 'rm -rf "$AREA/copy"; stop_all' EXIT
start_xvfb
ensure_prefix
start_wine_session
mkdir -p "$AREA"

SHAPE="b${BIG_COUNT}x${BIG_MB}-m${MID_COUNT}-s${SMALL}"
SRC="$AREA/src-$SHAPE"
MANY="$AREA/many-$((10 * SMALL))"
make_game_tree "$SRC" "$BIG_COUNT" "$BIG_MB" "$MID_COUNT" "$SMALL" 1024 65536
make_game_tree "$MANY" 0 0 0 "$((10 * SMALL))" 0 4096
DST="$AREA/copy"
DST_WIN="$AREA_WIN\\copy"

files_of() { find "$1" -type f | wc -l; }
bytes_of() { find "$1" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }'; }
fresh_destination() { rm -rf "$DST"; sync; }

# The source stays warm in the page cache for every method.
warm() { find "$1" -type f -exec cat {} + >/dev/null; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

OURS_LINE=""
run_ours() { # source (Windows path)
  local line
  line=$(wine "$EXE" "$1" "$DST_WIN" </dev/null 2>/dev/null | tr -d '\r') || {
    echo "CopyDirectoryTree reported failures: $line" >&2
    exit 1
  }
  OURS_LINE=$line
}
run_xcopy() { wine xcopy /E /I /Q "$AREA_WIN\\src-$SHAPE" "$DST_WIN" </dev/null >/dev/null 2>&1; }
run_cp() { cp -r "$SRC" "$DST"; }

# Times one method once into TIME: a fresh destination, the copy and its sync.
TIME=0
time_one() {
  local t0
  fresh_destination
  t0=$(now_ms)
  "$@"
  sync
  TIME=$(($(now_ms) - t0))
}

field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p" <<<"$2"; }

files=$(files_of "$SRC")
bytes=$(bytes_of "$SRC")
log "warming the source: $files files, $bytes bytes"
warm "$SRC"
quiet wine cmd /c exit 0

declare -A times=([ours]="" [xcopy]="" [cp]="")
peak_ws=0 peak_private=0
for run in $(seq 1 "$RUNS"); do
  # The order turns each run, so no method always follows the same one.
  case $((run % 3)) in
  1) order=(ours xcopy cp) ;;
  2) order=(xcopy cp ours) ;;
  0) order=(cp ours xcopy) ;;
  esac
  for method in "${order[@]}"; do
    case $method in
    ours) time_one run_ours "$AREA_WIN\\src-$SHAPE" ;;
    xcopy) time_one run_xcopy ;;
    cp) time_one run_cp ;;
    esac
    t=$TIME
    if [ "$method" = ours ]; then
      ws=$(field peak_working_set_kb "$OURS_LINE") pv=$(field peak_private_kb "$OURS_LINE")
      [ "$ws" -gt "$peak_ws" ] && peak_ws=$ws
      [ "$pv" -gt "$peak_private" ] && peak_private=$pv
    fi
    copied_files=$(files_of "$DST") copied_bytes=$(bytes_of "$DST")
    if [ "$copied_files" != "$files" ] || [ "$copied_bytes" != "$bytes" ]; then
      echo "$method copied $copied_files files, $copied_bytes bytes of $files, $bytes" >&2
      exit 1
    fi
    [ "$run" = 1 ] && [ "$method" = ours ] && { diff -r -q "$SRC" "$DST" >/dev/null ||
      { echo "CopyDirectoryTree's copy differs from the source" >&2; exit 1; }; }
    log "run $run: $method $t ms"
    times[$method]="${times[$method]} $t"
  done
done
fresh_destination

best() { tr ' ' '\n' <<<"$1" | grep . | sort -n | head -1; }
median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

log "peak memory on the tree of $((10 * SMALL)) files"
warm "$MANY"
many_files=$(files_of "$MANY")
fresh_destination
run_ours "$AREA_WIN\\many-$((10 * SMALL))"
many_line=$OURS_LINE
fresh_destination

echo
printf 'Tree: %s files, %s MB (%s)\n' "$files" "$((bytes / 1000000))" "$SRC"
printf '%-28s %10s %10s   %s\n' method "best ms" "median ms" "all runs"
for m in ours xcopy cp; do
  case $m in
  ours) name="CopyDirectoryTree (Wine)" ;;
  xcopy) name="xcopy /E /I /Q (Wine)" ;;
  cp) name="cp -r + sync (native)" ;;
  esac
  printf '%-28s %10s %10s  %s\n' "$name" "$(best "${times[$m]}")" "$(median "${times[$m]}")" "${times[$m]}"
done
awk -v o="$(best "${times[ours]}")" -v x="$(best "${times[xcopy]}")" -v c="$(best "${times[cp]}")" \
  -v om="$(median "${times[ours]}")" -v xm="$(median "${times[xcopy]}")" -v cm="$(median "${times[cp]}")" \
  -v b="$bytes" 'BEGIN {
  printf "Speed of CopyDirectoryTree against xcopy: %.2f best, %.2f median (goal: at least 0.95)\n", x / o, xm / om
  printf "Speed of CopyDirectoryTree against cp -r: %.2f best, %.2f median\n", c / o, cm / om
  printf "Throughput, best runs: CopyDirectoryTree %.0f MB/s, xcopy %.0f MB/s, cp -r %.0f MB/s\n",
    b / o / 1000, b / x / 1000, b / c / 1000 }'
printf 'Peak memory of CopyDirectoryTree: %s files: working set %s KiB, private %s KiB\n' \
  "$files" "$peak_ws" "$peak_private"
printf '                                  %s files: working set %s KiB, private %s KiB\n' \
  "$many_files" "$(field peak_working_set_kb "$many_line")" "$(field peak_private_kb "$many_line")"
