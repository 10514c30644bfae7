# Game-like source trees for the benchmarks. Source it after tools/common.sh.
# Trees are built once per shape and kept; the marker lives beside the tree,
# so no copy ever carries it.

# make_small_files dir count min max: files in leaf folders of 100, ten
# leaves to a parent, sizes spread evenly over [min, max] bytes; the bytes
# are slices of one random block.
make_small_files() {
  perl -e '
    my ($dir, $count, $min, $max) = @ARGV; my $seed = 7;
    open(my $r, "<", "/dev/urandom") or die; read($r, my $block, 1 << 17); close($r);
    for my $i (0 .. $count - 1) {
      my $leaf = int($i / 100);
      my $d = sprintf("%s/p%02d/leaf%02d", $dir, int($leaf / 10), $leaf % 10);
      if ($i % 100 == 0) { system("mkdir", "-p", $d) == 0 or die "mkdir $d"; }
      $seed = ($seed * 1103515245 + 12345) % 2147483648;
      my $size = $min + $seed % ($max - $min + 1);
      open(my $f, ">", sprintf("%s/file%05d.dat", $d, $i)) or die;
      print $f substr($block, $seed % (length($block) - $size), $size); close($f);
    }' "$@"
}

# make_game_tree dir big_count big_mb mid_count small small_min small_max:
# a few archives of big_mb MiB, mid-sized packs of 2-8 MiB, and small files.
make_game_tree() {
  local dir=$1 big_count=$2 big_mb=$3 mid_count=$4 small=$5 small_min=$6 small_max=$7 i
  [ -f "$dir.complete" ] && [ -d "$dir" ] && return
  rm -rf "$dir"
  log "generating $dir"
  mkdir -p "$dir"
  if [ "$big_count" -gt 0 ]; then
    mkdir -p "$dir/x64/big"
    for i in $(seq 1 "$big_count"); do
      head -c "$((big_mb << 20))" /dev/urandom >"$dir/x64/big/archive$i.rpf"
    done
  fi
  if [ "$mid_count" -gt 0 ]; then
    mkdir -p "$dir/update/mid"
    for i in $(seq 1 "$mid_count"); do
      head -c "$(((2 + i % 7) << 20))" /dev/urandom >"$dir/update/mid/pack$i.rpf"
    done
  fi
  [ "$small" -gt 0 ] && make_small_files "$dir/common/data" "$small" "$small_min" "$small_max"
  touch "$dir.complete"
}
