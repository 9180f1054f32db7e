#!/usr/bin/env bash
# Analyze's listing and secure deletion (tools/bench --secure), in the
# sandboxed prefix build/wine/bench-prefix:
#   - secure deletion of a 1 GiB set of files (256 files of 4 MiB, real
#     data) against GNU `shred -n 0 -z -u` on a copy of the same files (and
#     against `shred --remove=unlink`, which skips -u's renames and syncs);
#   - the cost of the option on a cache of real files: every file deleted
#     with and without overwriting;
#   - an Analyze of a large cache: the preview heard by the details listing,
#     sorted by size, the longest time without processing messages and the
#     memory it takes per target.
#
#   tools/bench --secure [--rounds N] [--files N] [--analyze N]
#     --rounds   repeat every measurement N times, print medians (default 3)
#     --files    files in the cache (default 50000, 1-16 KiB each)
#     --analyze  files in the Analyze tree (default 200000, sparse)
# Every destructive measurement gets a fresh copy, written out (sync)
# before it is timed.
set -eu
. "$(dirname "$0")/common.sh"

rounds=3 files=50000 analyze=200000
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    --analyze) analyze=$2; shift 2 ;;
    *) nv_log "unknown option $1"; exit 2 ;;
  esac
done

nv_install coreutils
nv_build --target details_bench >/dev/null
prefix=$NV_WINE/bench-prefix
nv_prefix "$prefix" >/dev/null
log=$(mktemp)
base=$prefix/drive_c/nvbench/secure
work=$base/work
trap 'rm -f "$log"; rm -rf "${work:?}"; nv_stop_wine' EXIT
exe=$NV_BUILD/bin/details_bench.exe
mkdir -p "$base"
rm -rf "$work"

# gen NAME FILES PERL-BODY: a tree made once, kept for later runs.
gen() {
  [ -f "$base/$1.done" ] && return 0
  nv_log "Generating $base/$1"
  rm -rf "${base:?}/$1"
  perl -e "use strict; my (\$root, \$files) = @ARGV; srand(99); mkdir \$root or die; $3" "$base/$1" "$2"
  touch "$base/$1.done"
}
# Folders hang below random earlier folders (depth <= 5), files land in random folders.
tree='my $nd = int($files / 100) || 1; my @dirs = ([$root, 0]);
  for my $i (1 .. $nd - 1) {
    my $p; do { $p = $dirs[int(rand(@dirs))] } while ($p->[1] >= 5);
    my $d = sprintf("%s/d%04d", $p->[0], $i); mkdir $d or die; push @dirs, [$d, $p->[1] + 1];
  }
  sub place { return sprintf("%s/f%06d.dat", $dirs[int(rand(@dirs))]->[0], $_[0]); }'
gen gib 256 'open(my $r, "<", "/dev/urandom") or die; my $buf;
  for my $i (0 .. $files - 1) { read($r, $buf, 4 << 20); open(my $f, ">", sprintf("%s/f%03d.bin", $root, $i)) or die; print $f $buf; close $f; }'
gen "cache-$files" "$files" "$tree"'
  for my $i (0 .. $files - 1) { open(my $f, ">", place($i)) or die; print $f "\x55" x (1024 + int(rand(15 * 1024))); close $f; }'
gen "analyze-$analyze" "$analyze" "$tree"'
  for my $i (0 .. $files - 1) { open(my $f, ">", place($i)) or die; truncate($f, 1024 + int(rand(63 * 1024))); close $f; }'

n=0
fresh() {  # TEMPLATE: a written-out copy under work/; prints its name
  n=$((n + 1))
  mkdir -p "$work"
  cp -a "$base/$1" "$work/c$n"
  sync
  echo "c$n"
}
ours() {  # KEY OP FOLDER: one details_bench run, its own timing
  wine "$exe" "$2" "C:\\nvbench\\secure\\${3//\//\\}" 2>/dev/null </dev/null | tr -d '\r' | grep -a '^seconds=' |
    sed "s/^/$1 /" >>"$log" || { nv_log "details_bench $2 failed"; exit 1; }
}
native() {  # KEY CMD...: a Linux command, wall clock
  local t0 t1
  t0=$EPOCHREALTIME
  "${@:2}" >/dev/null 2>&1
  t1=$EPOCHREALTIME
  awk -v k="$1" -v a="$t0" -v b="$t1" 'BEGIN { printf "%s seconds=%.3f\n", k, b - a }' >>"$log"
}
shred_all() { find "$1" -type f -print0 | xargs -0 shred -n 0 -z "${@:2}"; }

for round in $(seq "$rounds"); do
  nv_log "Round $round of $rounds"
  c=$(fresh gib); native shred shred_all "$work/$c" -u; rm -rf "${work:?}/$c"
  c=$(fresh gib); native shred-unlink shred_all "$work/$c" --remove=unlink; rm -rf "${work:?}/$c"
  c=$(fresh gib); ours secure-gib secure "work/$c"; rm -rf "${work:?}/$c"
  c=$(fresh gib); ours plain-gib plain "work/$c"; rm -rf "${work:?}/$c"
  c=$(fresh "cache-$files"); ours plain-cache plain "work/$c"; rm -rf "${work:?}/$c"
  c=$(fresh "cache-$files"); ours secure-cache secure "work/$c"; rm -rf "${work:?}/$c"
  ours analyze analyze "analyze-$analyze"
  ours preview preview "analyze-$analyze"
done
ours noop noop "analyze-$analyze"

med() { nv_log_median "$log" "$1" "$2"; }  # KIND FIELD
compare() { nv_compare "$log" 2 "$@"; }  # LABEL OURS OTHER-LABEL OTHER

echo "Secure deletion and Analyze benchmark: $rounds round(s), medians"
compare "secure deletion of 1 GiB (256 files)" secure-gib "shred -n 0 -z -u" shred
compare "secure deletion of 1 GiB" secure-gib "shred -n 0 -z --remove=unlink (one rename-free removal)" shred-unlink
compare "secure deletion of 1 GiB" secure-gib "the same files deleted without overwriting" plain-gib
compare "secure deletion of a $files-file cache" secure-cache "the same cache deleted without overwriting" plain-cache
compare "Analyze of $analyze files (listed for the details)" analyze "the same preview heard by nobody" preview
targets=$(med analyze targets)
awk -v t="$targets" -v s="$(med analyze seconds)" -v o="$(med analyze sort_seconds)" -v g="$(med analyze max_gap_ms)" \
  -v p="$(med analyze peak_ws)" -v b="$(med noop peak_ws)" 'BEGIN {
    printf "Analyze of %d files: %.2f s, sorted by size in %.3f s, longest time without processing messages %.0f ms\n", t, s, o, g;
    printf "peak working set %.1f MiB against %.1f MiB idle: %.0f bytes per target\n", p / 1048576, b / 1048576, (t > 0 ? (p - b) / t : 0) }'
echo "runs:"
sort -s -k1,1 "$log" | sed 's/^/  /'
