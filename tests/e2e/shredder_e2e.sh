#!/usr/bin/env bash
# End to end under Wine: NorvaleShredder.exe /shred, its lines and exit
# codes, on scratch files of the test prefix.
#   shredder_e2e.sh BIN_DIR
set -u
bin=$1
. "$(dirname "$0")/sandbox-guard.sh"

c=$WINEPREFIX/drive_c
app=$c/nvtest-shred/app w=$c/nvtest-shred/work
rm -rf "$c/nvtest-shred"
mkdir -p "$app" "$w/dir/sub"
cp "$bin/NorvaleShredder.exe" "$app/"
out=$(mktemp) err=$(mktemp)
trap 'rm -rf "$c/nvtest-shred" "$out" "$err"' EXIT
shred() {  # rc and the lines (without CRs) in $rc and $out
  wine 'C:\nvtest-shred\app\NorvaleShredder.exe' "$@" 2>>"$err" </dev/null | tr -d '\r' >"$out"
  rc=${PIPESTATUS[0]}
  cat "$out"
}
fill() { head -c "$2" /dev/zero | tr '\0' "$3" >"$1"; }
fill "$w/a.txt" 5000 A; fill "$w/dir/sub/b.txt" 6000 B
fill "$w/trail." 4 T; fill "$w/trail" 4 t; fill "$w/x.txt" 1 x
W='C:\nvtest-shred\work'

shred /shred "$W\\a.txt" "$W\\dir" "$W\\trail."
check "all shredded: exit 0" [ $rc -eq 0 ]
check "one line per item" diff "$out" <(printf '%s\tShredded\n' "$W\\a.txt" "$W\\dir" "$W\\trail.")
check "they are gone" [ ! -e "$w/a.txt" -a ! -e "$w/dir" -a ! -e "$w/trail." ]
check "the twin without the dot is kept" [ "$(cat "$w/trail")" = tttt ]

# (links, hard links and held-open files: tests/shredder)
shred /shred 'C:\' "$W\\*.txt"
check "some left: exit 2" [ $rc -eq 2 ]
check "with the reasons" diff "$out" <(printf '%s\tLeft: %s\n' 'C:\' 'a protected folder, never shredded' \
  "$W\\*.txt" 'not found')
check "no wildcard is expanded" [ -f "$w/x.txt" ]

for bad in /bogus /shred -x; do
  shred "$bad"
  check "$bad: exit 1 with the usage" [ $rc -eq 1 -a -n "$(grep 'Usage: NorvaleShredder.exe' "$err")" ]
done
exit $fail
