#!/usr/bin/env bash
# tools/bench --check: the erase primitives, the catalogue and the search
# benchmarks at a small size, 3 rounds each, then every ratio that has a goal
# in docs/ARCHITECTURE.md ("Benchmarks", "Goals") beside that goal; "OVER"
# marks the ones above it. Exit status 1 when any is over. A benchmark, not
# a test: timings on a shared machine vary, so run it twice before judging.
#
#   tools/bench --check [--files N] [--search-files N] [--rounds N]
#     --files         files of the primitives' tree and cache files of the
#                     catalogue (default 10000)
#     --search-files  files of the search tree (default 100000)
#     --rounds        rounds of each benchmark (default 3)
set -eu
. "$(dirname "$0")/common.sh"

files=10000 search_files=100000 rounds=3
while [ $# -gt 0 ]; do
  case $1 in
    --files) files=$2; shift 2 ;;
    --search-files) search_files=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    *) nv_log "unknown option $1"; exit 2 ;;
  esac
done

bench=$NV_ROOT/tools/bench
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
nv_log "Erase primitives: $files files, $rounds rounds"
"$bench" --files "$files" --rounds "$rounds" --no-cmd >"$out/primitives"
nv_log "Catalogue: $files cache files, $rounds rounds"
"$bench" --catalogue --files "$files" --rounds "$rounds" >"$out/catalogue"
nv_log "Search: $search_files files, $rounds rounds"
"$bench" --search --files "$search_files" --rounds "$rounds" >"$out/search"

# Goal rows: | `benchmark` | `line label` | goal |
goals=$(sed -n '/^### Goals/,/^### /p' "$NV_ROOT/docs/ARCHITECTURE.md" | grep '^| `')
[ -n "$goals" ] || { nv_log "no goals found in docs/ARCHITECTURE.md"; exit 2; }
echo "Benchmark check: $files files ($search_files to search), $rounds rounds; ratio, goal"
over=0
while IFS='|' read -r _ file label goal _; do
  file=$(sed 's/^ *`//; s/` *$//' <<< "$file")
  label=$(sed 's/^ *`//; s/` *$//' <<< "$label")
  goal=$(tr -d ' ' <<< "$goal")
  line=$(grep -F -- "$label: " "$out/$file" | head -1)
  ratio=$(sed -n 's/.*ratio=\([0-9.]*\).*/\1/p' <<< "$line")
  if [ -z "$ratio" ]; then
    printf '%-9s %-100s  ?     goal %s  MISSING\n' "$file" "$label" "$goal"; over=1; continue
  fi
  mark=$(awk -v r="$ratio" -v g="$goal" 'BEGIN { print (r > g ? "OVER" : "ok") }')
  [ "$mark" = OVER ] && over=1
  printf '%-9s %-100s  %-5s goal %-5s %s\n' "$file" "$label" "$ratio" "$goal" "$mark"
done <<< "$goals"
echo "full output:"
for f in primitives catalogue search; do sed "s/^/  $f: /" "$out/$f"; done
exit "$over"
