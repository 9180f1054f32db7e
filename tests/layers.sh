#!/usr/bin/env bash
# Every include of src/ points down the layer line of docs/ARCHITECTURE.md:
#   shredder → shell → engine → settings → keeplists | search → plugins → ui → foundation
# A folder includes its own files and those of folders below it, never one
# above it or beside it; the engine includes no window header (src/ui).
# Usage: layers.sh SRC_DIR. Prints every offending include; exit 1 if any.
set -u
src=${1:?usage: layers.sh SRC_DIR}
cd "$src" || exit 2

# Lower number = lower layer. Folders on one level must not include each other.
declare -A level=(
  [foundation]=0 [ui]=1 [plugins]=2 [keeplists]=3 [search]=3 [settings]=4 [engine]=5 [shell]=6
  [shredder]=7
)
# Pairs that the order alone would allow but the design forbids.
declare -A forbidden=([engine:ui]="the engine includes no window header")

bad=0
for dir in */; do
  dir=${dir%/}
  if [ -z "${level[$dir]+x}" ]; then
    echo "src/$dir: a folder not on the layer line (add it to tests/layers.sh and docs/ARCHITECTURE.md)"
    bad=1
  fi
done

while IFS=: read -r file line inc; do
  from=${file%%/*}
  inc=${inc#*\"}; inc=${inc%%\"*}
  to=${inc%%/*}
  [ -z "${level[$from]+x}" ] && continue       # reported above
  if [ "$to" = "$inc" ] || [ "$to" = ".." ] || [ -z "${level[$to]+x}" ]; then
    echo "src/$file:$line: #include \"$inc\": name headers of src/ as folder/file.h"
    bad=1
  elif [ "$to" != "$from" ] && [ "${level[$to]}" -ge "${level[$from]}" ]; then
    echo "src/$file:$line: #include \"$inc\": $to is not below $from"
    bad=1
  elif [ -n "${forbidden[$from:$to]+x}" ]; then
    echo "src/$file:$line: #include \"$inc\": ${forbidden[$from:$to]}"
    bad=1
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.hpp' --include='*.inl' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' .  | sed 's#^\./##')

[ "$bad" = 0 ] && echo "layers: every include of src/ points down"
exit "$bad"
