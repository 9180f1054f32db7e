#!/usr/bin/env bash
# The Search and Erase benchmark (tools/bench --search): the search window
# against a bare find-data walk and find -iname on one generated tree, in a
# sandboxed prefix of its own (build/wine/bench-prefix).
#
#   tools/bench --search [--files N] [--rounds N]
#     --files   files in the tree (default 200000; folders = files/100);
#               1.5 % match the default patterns, 25 % are *.log
#     --rounds  repeat every measurement N times, print medians (default 3)
# Wall-clock ratios first, then the same from processor time (user + system
# of the process), which other work on a shared machine disturbs less.
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
trap nv_stop_wine EXIT
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

declare -A secs cpu extra
record() { secs[$1]="${secs[$1]:-} $2"; }

# run KEY OP [SEARCH]: one search_bench run; records seconds and the rest.
run() {
  local key=$1 op=$2 out line
  shift 2
  out=$(wine "$exe" "$op" "C:\\nvbench\\$tree" "$@" 2>/dev/null </dev/null | tr -d '\r' | grep -a '^seconds=') || true
  [ -n "$out" ] || { nv_log "search_bench $op failed"; exit 1; }
  line=${out#seconds=}
  record "$key" "${line%% *}"
  extra[$key]="${extra[$key]:-} ${line#* }"
  line=${line#* cpu=}
  cpu[$key]="${cpu[$key]:-} ${line%% *}"
}

native() {
  local key=$1 t0 t1 tf
  shift
  tf=$(mktemp)
  t0=$EPOCHREALTIME
  /usr/bin/time -f '%U %S' -o "$tf" "$@" >/dev/null 2>&1
  t1=$EPOCHREALTIME
  record "$key" "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')"
  cpu[$key]="${cpu[$key]:-} $(awk '{ printf "%.3f", $1 + $2 }' "$tf")"
  rm -f "$tf"
}

run warmup bare-walk
for round in $(seq "$rounds"); do
  nv_log "Round $round of $rounds ($files files)"
  run walk bare-walk
  run search search "$defaults"
  run search50k search '*.log'
  run stop stop "$defaults"
  native find find "$base/$tree" -type f \( -iname '*.tmp' -o -iname '*.gid' -o -iname '*.swp' -o -iname '*.chk' \)
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
med() { echo "${secs[$1]}" | median; }
medcpu() { echo "${cpu[$1]}" | median; }
field() { echo "${extra[$1]}" | tr ' ' '\n' | grep "^$2=" | cut -d= -f2 | median; }
compare() {  # LABEL OURS OTHER-LABEL OTHER [cpu]
  local a b
  if [ "${5:-}" = cpu ]; then a=$(medcpu "$2") b=$(medcpu "$4"); else a=$(med "$2") b=$(med "$4"); fi
  awk -v l="$1" -v o="$3" -v a="$a" -v b="$b" -v k="${5:+ (processor time)}" \
    'BEGIN { printf "%s vs %s%s: %.2f s / %.2f s ratio=%.2f\n", l, o, k, a, b, (b > 0 ? a / b : 0) }'
}

echo "Search and Erase benchmark: $files files, $rounds round(s), medians"
echo "matches: default patterns $(field search found), *.log $(field search50k found)"
compare "Search and Erase" search "bare walk" walk
compare "Search and Erase" search "find -iname" find
compare "Search and Erase with $(field search50k found) matches" search50k "bare walk" walk
compare "Search and Erase" search "bare walk" walk cpu
compare "Search and Erase" search "find -iname" find cpu
compare "Search and Erase with $(field search50k found) matches" search50k "bare walk" walk cpu
echo "Stop clicked after 300 ms: the search ended $(field stop stop_ms) ms later"
echo "longest time without processing messages: $(field search longest_gap_ms) ms (default patterns)," \
     "$(field search50k longest_gap_ms) ms (*.log)"
for k in walk search search50k find stop; do echo "raw seconds $k:${secs[$k]} (processor:${cpu[$k]})"; done
