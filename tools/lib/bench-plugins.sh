#!/usr/bin/env bash
# The plug-in benchmark (tools/bench --plugins): the import of a generated
# Winapp2 file and the opening of the Applications list, in a sandboxed
# prefix of its own (build/wine/bench-prefix).
#
#   tools/bench --plugins [--entries N] [--plugins N] [--rounds N]
#     --entries  entries of the generated Winapp2 file (default 4000)
#     --plugins  plug-ins in the Applications list (default 1000)
#     --rounds   repeat every measurement N times, print medians (default 3)
# Each figure against the goal of one second, and the reading of the
# plug-ins against the platform's profile functions reading the same values.
set -eu
. "$(dirname "$0")/common.sh"

entries=4000 plugins=1000 rounds=3
while [ $# -gt 0 ]; do
  case $1 in
    --entries) entries=$2; shift 2 ;;
    --plugins) plugins=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
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
  wine "$exe" "$@" 2>/dev/null </dev/null | tr -d '\r' | grep -a "^[a-z]* seconds=" >>"$log" ||
    { nv_log "plugin_bench $1 failed"; exit 1; }
}
nv_log "Importing $entries entries, $rounds round(s)"
bench import "$entries" "$rounds"
nv_log "Opening the Applications list with $plugins plug-ins, $rounds round(s)"
bench list "$plugins" "$rounds"

med() { nv_log_median "$log" "$1" "$2"; }  # KIND FIELD
compare() { nv_compare "$log" 3 "$@"; }  # LABEL OURS OTHER-LABEL OTHER
goal() {  # LABEL OURS: against the goal of one second
  awk -v l="$1" -v a="$(med "$2" seconds)" 'BEGIN { printf "%s vs the goal of 1 s: %.3f s / 1.000 s ratio=%.3f\n", l, a, a }'
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
echo "runs:"
sort -s -k1,1 "$log" | sed 's/^/  /'
