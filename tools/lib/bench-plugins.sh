#!/usr/bin/env bash
# The plug-in benchmark (tools/bench --plugins): the import of a generated
# Winapp2 file and the opening of the Applications list, in a sandboxed
# prefix of its own (build/wine/bench-prefix).
#
#   tools/bench --plugins [--entries N] [--plugins N] [--rounds N] [--winapp2 FILE]
#     --entries  entries of the generated Winapp2 file (default 4000)
#     --plugins  plug-ins in the Applications list (default 1000)
#     --rounds   repeat every measurement N times, print medians (default 3)
#     --winapp2  a copy of the community file to import as well (it stays outside the repository)
# Each figure against its goal, and the reading of the plug-ins against the
# platform's profile functions reading the same values. Also: a generated
# file with the community file's mix of 4,067 entries imported into an empty
# prefix (goal 0.5 s), and a preview of one plug-in of 5,000, 10,000 and
# 20,000 [filekey] lines whose folders are absent (goal: 2 s for 20,000).
set -eu
. "$(dirname "$0")/common.sh"

entries=4000 plugins=1000 rounds=3 real=
while [ $# -gt 0 ]; do
  case $1 in
    --entries) entries=$2; shift 2 ;;
    --plugins) plugins=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --winapp2) real=$(realpath "$2"); shift 2 ;;
    *) nv_log "unknown option $1"; exit 2 ;;
  esac
done

nv_install
nv_build --target plugin_bench >/dev/null
prefix=$NV_WINE/bench-prefix
nv_prefix "$prefix" >/dev/null
log=$(mktemp)
trap 'rm -f "$log"; nv_stop_wine' EXIT
exe=$NV_BUILD/bin/plugin_bench.exe
rm -rf "$prefix/drive_c/nvbench/plugins"

bench() {
  wine "$exe" "$@" 2>/dev/null </dev/null | tr -d '\r' | grep -a "^[a-z0-9]* seconds=" >>"$log" ||
    { nv_log "plugin_bench $1 failed"; exit 1; }
}
nv_log "Importing $entries entries, $rounds round(s)"
bench import "$entries" "$rounds"
nv_log "Opening the Applications list with $plugins plug-ins, $rounds round(s)"
bench list "$plugins" "$rounds"
nv_log "Importing a file of the community file's mix, $rounds round(s)"
bench mix 4067 "$rounds"
if [ -n "$real" ]; then
  mkdir -p "$prefix/drive_c/nvbench/plugins"
  cp "$real" "$prefix/drive_c/nvbench/plugins/real-winapp2.ini"
  wine "$exe" mix 0 "$rounds" 'C:\nvbench\plugins\real-winapp2.ini' 2>/dev/null </dev/null | tr -d '\r' |
    sed 's/^mix /real /' | grep -a "^real seconds=" >>"$log"
fi
nv_log "Previewing plug-ins of 5,000 to 20,000 lines, $rounds round(s)"
bench lines 0 "$rounds"

med() { nv_log_median "$log" "$1" "$2"; }  # KIND FIELD
compare() { nv_compare "$log" 3 "$@"; }  # LABEL OURS OTHER-LABEL OTHER
goal() {  # LABEL OURS [GOAL]: against the goal (default one second)
  awk -v l="$1" -v a="$(med "$2" seconds)" -v g="${3:-1}" \
    'BEGIN { printf "%s vs the goal of %g s: %.3f s / %.3f s ratio=%.3f\n", l, g, a, g, a / g }'
}

echo "Plug-in benchmark: $rounds round(s), medians"
echo "Winapp2 file of $(med import total) entries: $(med import imported) detected here and imported"
goal "Import" import
goal "Import again (over its own plug-ins)" reimport
echo "  (the profile functions alone take $(med profile seconds) s to read the file's sections, one call per entry)"
echo "Applications list with $(med dialog rows) plug-ins:"
goal "Cleaning Settings opening" dialog
compare "Cleaning Settings opening" dialog "the same without plug-ins" empty
compare "reading the plug-ins with detection" read "profile functions reading the same values" listprofile
echo "Winapp2 file of the community file's mix, $(med mix total) entries, empty prefix: $(med mix skipped) skipped"
goal "Import of the mix" mix 0.5
[ -n "$real" ] && goal "Import of $(basename "$real") ($(med real total) entries)" real 0.5
echo "One plug-in of many [filekey] lines whose folders are absent, preview:"
for n in 5000 10000 20000; do goal "  $n lines" "lines$n" 2; done
echo "runs:"
sort -s -k1,1 "$log" | sed 's/^/  /'
