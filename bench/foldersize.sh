#!/bin/bash
# The progress timer's cost: how long one GetFolderSize takes as the file count
# grows (1k, 10k, 50k files in game-like trees of 100 files a folder), its worst
# call against the 100 ms tick, and the measuring during a real copy of the 10k
# tree. Peers in the same run: a native walk of the same tree (GNU find on
# Linux), two other ways of listing under Wine, and a copy nobody measures.
# Usage: bench/foldersize.sh [file counts...]   (default: 1000 10000 50000)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../tools/common.sh"
COUNTS=("$@")
[ ${#COUNTS[@]} -gt 0 ] || COUNTS=(1000 10000 50000)

ensure_machine
build_all --target bench_foldersize
EXE="$BUILD/bench/foldersize.exe"
trap stop_all EXIT
start_xvfb
ensure_prefix
start_wine_session

AREA="$TESTAREA/bench-foldersize"
mkdir -p "$AREA/empty"

# Leaf folders of 100 files, ten leaves to a parent; sparse files of 0-16 KiB,
# so only the metadata costs disk. Prints the byte total.
make_tree() {
  local dir=$1 files=$2
  if [ -f "$dir.bytes" ] && [ -d "$dir" ]; then cat "$dir.bytes"; return; fi
  rm -rf "$dir"
  perl -e '
    my ($dir, $files) = @ARGV; my $total = 0; my $seed = 12345;
    for my $i (0 .. $files - 1) {
      my $leaf = int($i / 100); my $parent = int($leaf / 10);
      my $d = sprintf("%s/p%03d/leaf%02d", $dir, $parent, $leaf % 10);
      if ($i % 100 == 0) { system("mkdir", "-p", $d) == 0 or die "mkdir $d"; }
      $seed = ($seed * 1103515245 + 12345) % 2147483648;
      my $size = $seed % 16385;
      my $f = sprintf("%s/file%05d.dat", $d, $i);
      open(my $fh, ">", $f) or die "$f: $!"; truncate($fh, $size) or die; close($fh);
      $total += $size;
    }
    print "$total\n";' "$dir" "$files" >"$dir.bytes"
  cat "$dir.bytes"
}

# A native walk of the same tree: GNU find stats every entry for its size. The
# median of five runs, less the median of five on an empty folder (start-up).
median5() {
  local i t0 t1 times=()
  for i in 1 2 3 4 5; do
    t0=$(date +%s%N)
    find "$1" -type f -printf '%s\n' >/dev/null
    t1=$(date +%s%N)
    times+=($(((t1 - t0) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}
native_ms() {
  local walk base
  walk=$(median5 "$1")
  base=$(median5 "$AREA/empty")
  awk -v w="$walk" -v b="$base" 'BEGIN { d = (w - b) / 1000; printf "%.2f", (d > 0.01 ? d : 0.01) }'
}

args=()
for n in "${COUNTS[@]}"; do
  log "tree of $n files"
  bytes=$(make_tree "$AREA/n$n" "$n")
  args+=("${n}" "T:\\bench-foldersize\\n$n" "$n" "$bytes" "$(native_ms "$AREA/n$n")")
done

OUT="$BUILD/bench/foldersize.txt"
log "measuring under Wine"
rc=0
wine "$EXE" measure 'T:\bench-foldersize\empty' "${args[@]}" </dev/null >"$OUT" 2>/dev/null || rc=$?
echo
echo "One call each (x native: against GNU find stat-ing the same tree on Linux;"
echo "worst/tick: the worst call against the 100 ms timer period)"
cat "$OUT"

GROW=10000
log "copy of the $GROW-file tree, measured every 100 ms"
bytes=$(make_tree "$AREA/n$GROW" "$GROW")
rm -rf "$AREA"/copy-alone-* "$AREA/copy-measured"
wine "$EXE" grow "T:\\bench-foldersize\\n$GROW" 'T:\bench-foldersize\copy-alone' \
  'T:\bench-foldersize\copy-measured' </dev/null >"$OUT" 2>/dev/null || rc=$?
rm -rf "$AREA"/copy-alone-* "$AREA/copy-measured"
echo
echo "During a copy of $GROW files (the window thread measures, a worker copies)"
cat "$OUT"
exit "$rc"
