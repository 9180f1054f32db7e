#!/usr/bin/env bash
# tools/bench --check: the erase primitives, the catalogue and the search
# benchmarks at a small size, then every ratio that has a goal in
# docs/ARCHITECTURE.md ("Benchmarks", "Goals") beside that goal; "OVER"
# marks the ones above it. Exit status 1 when any is over. A benchmark, not
# a test.
#
# Built for two cores shared with other work: every judged ratio is that of
# the two sides' fastest rounds (see judge), the short measurements are
# repeated more often, and a benchmark with a line over its goal runs once
# more, the line then being judged on the rounds of both runs together: a
# regression slows every round, a burst of load seldom the fastest of six.
#
#   tools/bench --check [--files N] [--search-files N] [--rounds N]
#                       [--walks N] [--search-rounds N]
#     --files          files of the primitives' tree and cache files of the
#                      catalogue (default 10000)
#     --search-files   files of the search tree (default 100000)
#     --rounds         rounds of the primitives and the catalogue (default 3)
#     --walks          FolderSize beside the bare walk per round (default 5)
#     --search-rounds  searches beside bare walks (default 7)
set -eu
. "$(dirname "$0")/common.sh"

files=10000 search_files=100000 rounds=3 walks=5 search_rounds=7
while [ $# -gt 0 ]; do
  case $1 in
    --files) files=$2; shift 2 ;;
    --search-files) search_files=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --walks) walks=$2; shift 2 ;;
    --search-rounds) search_rounds=$2; shift 2 ;;
    *) nv_log "unknown option $1"; exit 2 ;;
  esac
done

bench=$NV_ROOT/tools/bench
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# run BENCHMARK PASS: its output goes to $out/BENCHMARK.PASS, the load
# average it started under to $out/BENCHMARK.PASS.load.
run() {
  cut -d' ' -f1-3 /proc/loadavg >"$out/$1.$2.load"
  case $1 in
    primitives)
      nv_log "Erase primitives: $files files, $rounds rounds (run $2)"
      "$bench" --files "$files" --rounds "$rounds" --walks "$walks" --no-cmd ;;
    catalogue)
      nv_log "Catalogue: $files cache files, $rounds rounds (run $2)"
      "$bench" --catalogue --files "$files" --rounds "$rounds" ;;
    search)
      nv_log "Search: $search_files files, $search_rounds rounds (run $2)"
      "$bench" --search --files "$search_files" --rounds "$search_rounds" ;;
  esac >"$out/$1.$2"
}

# Goal rows: | `benchmark` | `line label` | goal |
goals=$(sed -n '/^### Goals/,/^### /p' "$NV_ROOT/docs/ARCHITECTURE.md" | grep '^| `')
[ -n "$goals" ] || { nv_log "no goals found in docs/ARCHITECTURE.md"; exit 2; }

# judge: one line per goal row, "OVER" or "ok". The ratio is that of the
# two sides' fastest rounds over every run so far (each run's own in
# brackets when there were two): load only ever slows a round, and with
# rounds of a second or less a burst of it can spoil half of them, pairs
# and medians included. Prints the benchmarks with a line over to fd 3.
judge() {
  local file label goal line f fast x y xs ys runs ratio mark
  while IFS='|' read -r _ file label goal _; do
    file=$(sed 's/^ *`//; s/` *$//' <<< "$file")
    label=$(sed 's/^ *`//; s/` *$//' <<< "$label")
    goal=$(tr -d ' ' <<< "$goal")
    xs='' ys='' runs=''
    for f in "$out/$file".[0-9]; do
      line=$(grep -F -- "$label: " "$f" | head -1)
      fast=$(sed -n 's/.*(fastest: \([0-9.]*\) \/ \([0-9.]*\);.*/\1 \2/p' <<< "$line")
      [ -n "$fast" ] || continue
      read -r x y <<< "$fast"
      xs="$xs $x" ys="$ys $y"
      runs="$runs $(awk -v x="$x" -v y="$y" 'BEGIN { printf "%.2f", (y > 0 ? x / y : 0) }')"
    done
    if [ -z "$runs" ]; then
      printf '%-10s %-100s  ?     goal %-5s MISSING\n' "$file" "$label" "$goal"; echo "$file" >&3; continue
    fi
    ratio=$(awk -v x="$(nv_min <<< "$xs")" -v y="$(nv_min <<< "$ys")" 'BEGIN { printf "%.2f", (y > 0 ? x / y : 0) }')
    mark=$(awk -v r="$ratio" -v g="$goal" 'BEGIN { print (r > g ? "OVER" : "ok") }')
    [ "$mark" = OVER ] && echo "$file" >&3
    [ "$(wc -w <<< "$runs")" -gt 1 ] || runs=''
    printf '%-10s %-100s  %-5s goal %-5s %s%s\n' "$file" "$label" "$ratio" "$goal" "$mark" "${runs:+ (runs:$runs)}"
  done <<< "$goals"
}

for b in primitives catalogue search; do run "$b" 1; done
judge 3>"$out/over" >/dev/null
for b in $(sort -u "$out/over"); do run "$b" 2; done
echo "Benchmark check: $files files ($search_files to search); ratio of the fastest rounds, goal"
judge 3>"$out/over"
echo "load average (1, 5, 15 min) when each run started:"
for f in "$out"/*.load; do printf '  %s: %s\n' "$(basename "$f" .load)" "$(cat "$f")"; done
echo "full output:"
for f in "$out"/*.[0-9]; do sed "s/^/  $(basename "$f"): /" "$f"; done
[ ! -s "$out/over" ]
