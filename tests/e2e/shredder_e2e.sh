#!/usr/bin/env bash
# End to end under Wine: NorvaleShredder.exe /shred and its exit codes, on
# scratch files of the test prefix, with a link planted from this side.
#   shredder_e2e.sh BIN_DIR
set -u
bin=$1
. "$(dirname "$0")/sandbox-guard.sh"

c=$WINEPREFIX/drive_c
app=$c/nvtest-shred/app w=$c/nvtest-shred/work
rm -rf "$c/nvtest-shred"
mkdir -p "$app" "$w/dir/sub" "$w/target"
cp "$bin/NorvaleShredder.exe" "$app/"
exe='C:\nvtest-shred\app\NorvaleShredder.exe'
out=$(mktemp) err=$(mktemp)
trap 'rm -rf "$c/nvtest-shred" "$out" "$err"' EXIT

shred() {  # runs /shred with the arguments; rc and output in $rc, $out
  wine "$exe" "$@" >"$out" 2>>"$err" </dev/null
  rc=$?
  tr -d '\r' < "$out" > "$out.txt"; mv "$out.txt" "$out"
  cat "$out"
}

head -c 5000 /dev/zero | tr '\0' A > "$w/a.txt"
head -c 6000 /dev/zero | tr '\0' B > "$w/dir/sub/b.txt"
head -c 700 /dev/zero | tr '\0' K > "$w/target/keep.txt"
ln -s target/keep.txt "$w/link.txt"

shred /shred 'C:\nvtest-shred\work\a.txt' 'C:\nvtest-shred\work\dir'
check "all shredded: exit 0" [ $rc -eq 0 ]
check "one line per item" [ "$(wc -l < "$out")" -eq 2 ]
check "the file's line" grep -qxF $'C:\\nvtest-shred\\work\\a.txt\tShredded' "$out"
check "the folder's line" grep -qxF $'C:\\nvtest-shred\\work\\dir\tShredded' "$out"
check "the file is gone" [ ! -e "$w/a.txt" ]
check "the folder is gone" [ ! -e "$w/dir" ]

shred /shred 'C:\nvtest-shred\work\link.txt' 'C:\' 'C:\nvtest-shred\app' 'C:\nvtest-shred\work\none.txt'
check "some left: exit 2" [ $rc -eq 2 ]
check "the link is left" grep -qxF $'C:\\nvtest-shred\\work\\link.txt\tLeft: a link, never followed' "$out"
check "the drive is refused" grep -qxF $'C:\\\tLeft: a protected folder, never shredded' "$out"
check "its own folder is refused" grep -qxF $'C:\\nvtest-shred\\app\tLeft: part of this program' "$out"
check "a missing file is said" grep -qxF $'C:\\nvtest-shred\\work\\none.txt\tLeft: not found' "$out"
check "the link is still a link" [ -L "$w/link.txt" ]
check "its target is whole" [ "$(tr -d K < "$w/target/keep.txt" | wc -c)-$(wc -c < "$w/target/keep.txt")" = 0-700 ]
check "the program is still there" [ -f "$app/NorvaleShredder.exe" ]

# A name ending in a dot is its own file, not its twin without the dot; a
# wildcard is never expanded.
printf 'TTTT' > "$w/trail."; printf 'tttt' > "$w/trail"; printf 'x' > "$w/x.txt"
shred /shred 'C:\nvtest-shred\work\trail.' 'C:\nvtest-shred\work\*.txt'
check "trail.: shredded" grep -qxF $'C:\\nvtest-shred\\work\\trail.\tShredded' "$out"
check "trail.: gone" [ ! -e "$w/trail." ]
check "trail.: its twin kept" [ "$(cat "$w/trail")" = tttt ]
check "a wildcard matches nothing" [ $rc -eq 2 ]
check "a wildcard deletes nothing" [ -f "$w/x.txt" ]

for bad in /bogus /shred -x; do
  shred "$bad"
  check "$bad: exit 1" [ $rc -eq 1 ]
  check "$bad: usage on standard error" grep -q "Usage: NorvaleShredder.exe" "$err"
done
exit $fail
