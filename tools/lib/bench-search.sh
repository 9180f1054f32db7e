#!/usr/bin/env bash
# The Search and Erase benchmark (tools/bench --search): the search window
# against a bare find-data walk and find -iname on one generated tree, in a
# sandboxed prefix of its own (build/wine/bench-prefix).
#
#   tools/bench --search [--files N] [--rounds N]
#     --files   files in the tree (default 200000; folders = files/100);
#               1.5 % match the default patterns, 25 % are *.log
#     --rounds  repeat every measurement N times, print medians (default 3)
# Our window and the bare walk run in turns in one process. Wall-clock
# ratios first, then the same from processor time (user + system of the
# process), which other work on a shared machine disturbs less.
set -eu
. "$(dirname "$0")/common.sh"

files=200000 rounds=3
while [ $# -gt 0 ]; do
  case $1 in
    --files) files=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    *) nv_log "unknown option $1"; exit 2 ;;
  esac
done

nv_install time
nv_build --target search_bench >/dev/null
prefix=$NV_WINE/bench-prefix
nv_prefix "$prefix" >/dev/null
# Every result line of search_bench, "KIND key=value ...", goes to $log.
log=$(mktemp)
trap 'rm -f "$log"; nv_stop_wine' EXIT

exe=$NV_BUILD/bin/search_bench.exe
base=$prefix/drive_c/nvbench
tree=search-$files
defaults='*.tmp;*.gid;*.swp;*.chk'
mkdir -p "$base"

if [ ! -f "$base/$tree.done" ]; then
  nv_log "Generating $files files in $base/$tree"
  rm -rf "${base:?}/$tree"
  perl -e '
    use strict; my ($root, $files) = @ARGV; srand(4321);
    my $nd = int($files / 100) || 1;
    mkdir $root or die; my @dirs = ([$root, 0]);
    for my $i (1 .. $nd - 1) {
      my $p; do { $p = $dirs[int(rand(@dirs))] } while ($p->[1] >= 5);
      my $d = sprintf("%s/d%04d", $p->[0], $i); mkdir $d or die; push @dirs, [$d, $p->[1] + 1];
    }
    my @junk = qw(tmp gid swp chk); my @other = qw(dat bin js css png html);
    for my $i (0 .. $files - 1) {
      my $ext = $i % 1000 < 15 ? $junk[$i % 4] : $i % 4 == 1 ? "log" : $other[$i % 6];
      my $path = sprintf("%s/f%06d.%s", $dirs[int(rand(@dirs))]->[0], $i, $ext);
      open(my $f, ">", $path) or die; truncate($f, 1024 + int(rand(63 * 1024))); close $f;
    }' "$base/$tree" "$files"
  touch "$base/$tree.done"
fi

bench() {
  wine "$exe" "$1" "C:\\nvbench\\$tree" "${@:2}" 2>/dev/null </dev/null | tr -d '\r' | grep -a "^[a-z]* seconds=" \
    | sed "s/^walk /walk-$tag /; s/^search /search-$tag /" >>"$log" || { nv_log "search_bench $1 failed"; exit 1; }
}
native() {  # KEY CMD...: a Linux command, wall clock and processor time
  local t0 t1 tf
  tf=$(mktemp)
  t0=$EPOCHREALTIME
  /usr/bin/time -f '%U %S' -o "$tf" "${@:2}" >/dev/null 2>&1
  t1=$EPOCHREALTIME
  awk -v k="$1" -v a="$t0" -v b="$t1" '{ printf "%s seconds=%.3f cpu=%.3f\n", k, b - a, $1 + $2 }' "$tf" >>"$log"
  rm -f "$tf"
}

nv_log "Searching $files files, $rounds round(s)"
tag=few bench compare "$defaults" "$rounds"
tag=many bench compare '*.log' "$rounds"
for round in $(seq "$rounds"); do
  tag=stop bench stop "$defaults"
  native find find "$base/$tree" -type f \( -iname '*.tmp' -o -iname '*.gid' -o -iname '*.swp' -o -iname '*.chk' \)
done

med() { nv_log_median "$log" "$1" "$2"; }  # KIND FIELD
compare() { nv_compare "$log" 2 "$@"; }  # LABEL OURS OTHER-LABEL OTHER FIELD

echo "Search and Erase benchmark: $files files, $rounds round(s), medians"
echo "matches: default patterns $(med search-few found), *.log $(med search-many found)"
for f in seconds cpu; do
  compare "Search and Erase" search-few "bare walk" walk-few $f
  compare "Search and Erase" search-few "find -iname" find $f
  compare "Search and Erase with $(med search-many found) matches" search-many "bare walk" walk-many $f
done
# The window and the walk ran in turns: the k-th search beside the k-th walk.
for f in seconds cpu; do
  how=" (median of the rounds' ratios)"
  if [ $f = cpu ]; then how=" (median of the rounds' ratios, processor time)"; fi
  nv_paired 2 "Search and Erase vs bare walk$how" "$(nv_log_values "$log" search-few $f)" \
    "$(nv_log_values "$log" walk-few $f)"
  nv_paired 2 "Search and Erase with $(med search-many found) matches vs bare walk$how" \
    "$(nv_log_values "$log" search-many $f)" "$(nv_log_values "$log" walk-many $f)"
done
echo "Stop clicked after 300 ms: the search ended $(med stop stop_ms) ms later"
echo "longest time without processing messages: $(med search-few longest_gap_ms) ms (default patterns)," \
     "$(med search-many longest_gap_ms) ms (*.log)"
echo "runs:"
sort -s -k1,1 "$log" | sed 's/^/  /'
