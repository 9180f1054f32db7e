#!/usr/bin/env bash
# The whole-run benchmark (tools/bench --catalogue): one cleaning run of a
# profile selecting every browser item, on generated browser stores, against
# the same erase primitives called bare on the same folders. Runs in the
# benchmark's own sandboxed prefix (build/wine/bench-prefix); every
# measurement gets a fresh copy of the stores.
#
#   tools/bench --catalogue [--files N] [--rounds N]
#     --files   cache files over the IE, Chrome, Firefox and Opera caches
#               (default 50000), besides cookies, histories and profile files
#     --rounds  repeat N times and print medians (default 5)
set -eu
. "$(dirname "$0")/common.sh"

files=50000 rounds=5
while [ $# -gt 0 ]; do
  case $1 in
    --files) files=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    *) nv_log "unknown option $1"; exit 2 ;;
  esac
done

nv_install
# A target new to an old build tree is only known after a full build.
nv_build --target catalogue_bench >/dev/null 2>&1 || nv_build >/dev/null
prefix=$NV_WINE/bench-prefix
nv_prefix "$prefix" >/dev/null
trap nv_stop_wine EXIT
exe=$NV_BUILD/bin/catalogue_bench.exe
base=$prefix/drive_c/nvbench
tmpl=browsers-$files
work=$base/catwork
mkdir -p "$base"
rm -rf "$work"

# Deterministic stores: cache files of 1-64 KiB (sparse) split 30/30/24/16
# over the IE, Chrome, Firefox and Opera caches; 2000 cookies; the history,
# session and profile files every item looks for; files no item removes.
if [ ! -f "$base/$tmpl.done" ]; then
  nv_log "Generating browser stores with $files cache files in $base/$tmpl"
  rm -rf "${base:?}/$tmpl"
  perl -e '
    use strict; use File::Path qw(make_path); use File::Basename;
    my ($r, $n) = @ARGV; srand(4321);
    sub f { my ($p, $size) = @_; make_path(dirname($p)); open(my $h, ">", $p) or die "$p: $!"; truncate($h, $size); close $h; }
    sub kib { 1024 + int(rand(63 * 1024)) }
    my $chrome = "$r/Local/Google/Chrome/User Data/Default";
    my $ff = "$r/Roaming/Mozilla/Firefox/Profiles/x1y2z3.default";
    my $ffl = "$r/Local/Mozilla/Firefox/Profiles/x1y2z3.default";
    my $opera = "$r/Roaming/Opera/Opera"; my $operal = "$r/Local/Opera/Opera";
    for my $i (0 .. $n - 1) {
      my $k = $i % 100;
      if ($k < 30)    { f(sprintf("%s/Cache/Content.IE5/%08X/f%06d.htm", $r, $i % 16 * 0x1F2E3D, $i), kib()) }
      elsif ($k < 60) { f(sprintf("%s/Cache/f_%06x", $chrome, $i), kib()) }
      elsif ($k < 84) { f(sprintf("%s/Cache/%X/%02X/%08X%d", $ffl, $i % 16, $i % 256, $i, 1), kib()) }
      else            { f(sprintf("%s/cache/g_%04d/opr%05d.tmp", $operal, $i % 64, $i), kib()) }
    }
    f("$r/Cache/Content.IE5/index.dat", 65536); f("$r/History/History.IE5/index.dat", 65536);
    f("$r/Cookies/index.dat", 16384);
    f(sprintf("%s/Cookies/user\@site%04d.txt", $r, $_), 100 + int(rand(400))) for 1 .. 2000;
    f(sprintf("%s/Favorites/Folder%02d/Link%03d.url", $r, $_ % 10, $_), 200) for 1 .. 200;
    f("$ff/$_", kib()) for qw(places.sqlite cookies.sqlite downloads.sqlite key3.db prefs.js formhistory.sqlite);
    f("$ff/extensions/ext$_/file.js", 2048) for 1 .. 50;
    f("$chrome/$_", kib()) for ("History", "Cookies", "Web Data", "Last Session", "Current Session", "Top Sites", "Preferences");
    f("$chrome/Extensions/e$_/x/History.js", 1024) for 1 .. 200;
    f("$opera/$_", kib()) for qw(typed_history.xml cookies4.dat global_history.dat download.dat bookmarks.adr wand.dat opera6.ini);
    f("$opera/sessions/autosave$_.win", 4096) for 1 .. 5;
    f("$operal/thumbnails/t$_.png", 8192) for 1 .. 100;
    my $ns = "$r/Roaming/Netscape/NSB/Profiles/p.default";
    f("$ns/$_", kib()) for qw(history.dat cookies.txt localstore.rdf downloads.rdf bookmarks.html signons.txt prefs.js);
    f("$ns/Cache/c$_", 4096) for 1 .. 100;
    my $moz = "$r/Roaming/Mozilla/Profiles/p.default";
    f("$moz/$_", kib()) for qw(history.dat cookies.txt localstore.rdf);
    f("$moz/Cache/c$_", 4096) for 1 .. 100;
    my $sl = "$r/Local/Apple Computer/Safari"; my $sr = "$r/Roaming/Apple Computer/Safari";
    f("$sl/History/h$_.db", 4096) for 1 .. 20;
    f("$sl/Webpage Previews/p$_.jpg", 8192) for 1 .. 50;
    f("$sl/$_", kib()) for ("Cache.db", "WebpageIcons.db");
    f("$sr/$_", 4096) for ("History.plist", "LastSession.plist", "TopSites.plist", "Downloads.plist", "Form Values.plist");
    f("$sr/Cookies/Cookies.plist", 4096); f("$sr/Preferences/keychain.plist", 4096);
    f("$r/Roaming/Apple Computer/Preferences/com.apple.Safari.plist", 4096);
  ' "$base/$tmpl" "$files"
  touch "$base/$tmpl.done"
fi

declare -A secs peak result
n=0
# measure MODE: a fresh copy of the stores, the executable on it.
measure() {
  local mode=$1 line s c p s0 s1
  n=$((n + 1))
  mkdir -p "$work"
  cp -a "$base/$tmpl" "$work/c$n"
  # Written out before the clock starts: no measurement pays for the
  # writeback of the copy, nor of the removal before it.
  sync
  s0=$(nv_server_cpu "$prefix")
  line=$(wine "$exe" "$mode" "C:\\nvbench\\catwork\\c$n" 2>/dev/null </dev/null | tr -d '\r' | grep -a '^seconds=') ||
    { nv_log "catalogue_bench $mode failed"; exit 1; }
  s1=$(nv_server_cpu "$prefix")
  rm -rf "${work:?}/c$n"
  s=${line#seconds=}; s=${s%% *}
  c=${line#*cpu=}; c=${c%% *}
  secs[$mode-all]="${secs[$mode-all]:-} $(awk -v c="$c" -v a="$s0" -v b="$s1" 'BEGIN { printf "%.3f", c + b - a }')"
  p=${line##*peak_ws=}
  secs[$mode]="${secs[$mode]:-} $s"
  secs[$mode-cpu]="${secs[$mode-cpu]:-} $c"
  [ "${peak[$mode]:-0}" -ge "$p" ] || peak[$mode]=$p
  result[$mode]=$(sed 's/^seconds=[^ ]* cpu=[^ ]* //; s/ peak_ws=.*//' <<< "$line")
}

for round in $(seq "$rounds"); do
  nv_log "Round $round of $rounds ($files cache files)"
  # Alternate the order, so neither side always runs on a warmer cache.
  if [ $((round % 2)) = 1 ]; then modes="run bare run-preview bare-preview"; else modes="bare run bare-preview run-preview"; fi
  for m in $modes; do measure "$m"; done
done
measure noop
rm -rf "$work"

# "LABEL: median s / median s ratio=R", R the median of the rounds' own
# ratios, which the machine's drifting load disturbs less than the medians.
ratio() { nv_paired 3 "$1" "${secs[$2]}" "${secs[$3]}"; }
mib() { awk -v p="${peak[$1]:-0}" 'BEGIN { printf "%.1f MiB", p / 1048576 }'; }

echo "Catalogue benchmark: $files cache files, $rounds round(s), medians"
ratio "catalogue run vs bare primitives" run bare
ratio "catalogue run vs bare primitives, process CPU time" run-cpu bare-cpu
ratio "catalogue run vs bare primitives, CPU of the process and the wineserver" run-all bare-all
ratio "catalogue preview vs bare primitives (preview)" run-preview bare-preview
ratio "catalogue preview vs bare primitives (preview), process CPU time" run-preview-cpu bare-preview-cpu
ratio "catalogue preview vs bare primitives (preview), CPU of the process and the wineserver" run-preview-all \
  bare-preview-all
for pair in "run bare" "run-preview bare-preview"; do
  set -- $pair
  if [ "${result[$1]}" = "${result[$2]}" ]; then echo "$1 and $2 counted the same: ${result[$1]}"
  else echo "MISMATCH: $1 counted ${result[$1]}, $2 counted ${result[$2]}"; fi
done
echo "peak working set: run $(mib run), bare $(mib bare), run-preview $(mib run-preview), bare-preview $(mib bare-preview); process baseline $(mib noop)"
for k in run bare run-preview bare-preview; do
  echo "raw seconds $k:${secs[$k]} (cpu:${secs[$k-cpu]}; with the wineserver:${secs[$k-all]})"
done
