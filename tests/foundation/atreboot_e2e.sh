#!/usr/bin/env bash
# End-to-end check of the deletes at the next start: mark files from inside
# the prefix (DeleteAtReboot directly, and cleaner.exe /clean with files
# held open by holdopen.exe, "Delete files in use at the next restart" off
# and then on), restart the prefix with `wineboot -r` (which carries out the
# pending deletes), then look from outside. Runs inside the prefix
# tools/test made.
# Usage: atreboot_e2e.sh EMULATOR TEST_EXE BIN_DIR TESTBIN_DIR
set -u
emulator=$1 exe=$2 bin=$3 testbin=$4
. "$(dirname "$0")/../e2e/sandbox-guard.sh"
c=$WINEPREFIX/drive_c
root=$c/nvreboot-run
app=$root/app d=$root/data out=$root/out.txt
rm -rf "$c/nvreboot" "$root"
"$emulator" "$exe" --gtest_also_run_disabled_tests --gtest_filter='AtRebootEndToEnd.*' || exit 1

# A custom folder item with files held open: `held` holds only files in
# use besides one free file; `kept` holds a file in use with a second hard
# link outside the targets and a link to a file outside (held too).
mkdir -p "$app" "$d/held/sub" "$d/kept" "$root/outside"
cp "$bin/cleaner.exe" "$app/"
cp "$testbin/holdopen.exe" "$root/"
for f in held/one.txt held/sub/two.txt held/free.txt; do echo data > "$d/$f"; done
# The two files that will be marked weigh 1 MiB each: a marked file is not
# counted in the released space until it is gone.
for f in held/one.txt held/sub/two.txt; do head -c 1048576 /dev/zero > "$d/$f"; done
echo twin > "$root/outside/twin.txt"
ln "$root/outside/twin.txt" "$d/kept/hard.txt"
echo target > "$root/outside/target.txt"
ln -s "$root/outside/target.txt" "$d/kept/link.txt"
printf 'C:\\nvreboot-run\\data\\held\tFolder\r\nC:\\nvreboot-run\\data\\kept\tFolder\r\n' > "$app/cusd.dat"
wine_q() { wine "$@" </dev/null 2>/dev/null | tr -d '\r'; }
hold() {  # hold FILE...: each held open (no sharing) by a holdopen.exe of its own
  local n=0 f
  for f; do
    n=$((n + 1))
    wine 'C:\nvreboot-run\holdopen.exe' "C:\\nvreboot-run\\$f" "C:\\nvreboot-run\\$n.held" </dev/null >/dev/null 2>&1 &
  done
  for _ in $(seq 1 300); do [ "$(ls "$root"/*.held 2>/dev/null | wc -l)" -eq $# ] && break; sleep 0.1; done
}
release() { rm -f "$root"/*.held; wait; }
trap release EXIT
# The pending deletes below C:\nvreboot-run, in the order marked.
pending() {
  wine_q reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations |
    grep -o 'REG_MULTI_SZ.*' | sed 's/^REG_MULTI_SZ *//; s/\\0/\n/g' | sed -n 's/^\\??\\//p' |
    grep -F 'C:\nvreboot-run\' || true
}
clean() {  # clean ATREBOOT: one /clean with the box as given, output in $out
  printf '[Custom]\r\nCustom=1\r\n[Options]\r\natreboot=%s\r\n' "$1" > "$app/prisd.dat"
  timeout 120 wine 'C:\nvreboot-run\app\cleaner.exe' /clean </dev/null 2>/dev/null | tr -d '\r' > "$out"
}
hold data/held/one.txt data/held/sub/two.txt data/kept/hard.txt outside/target.txt
check "four files held open" [ "$(ls "$root"/*.held | wc -l)" -eq 4 ]

clean 0
check "box off: the row keeps today's words" grep -qxF $'Custom Item\tDone' "$out"
check "box off: no restart sentence" bash -c "! grep -qF 'next restart' '$out'"
check "box off: nothing marked" [ -z "$(pending)" ]
check "box off: the free file went at once" [ ! -e "$d/held/free.txt" ]
space() { grep -o 'Released HD Space:[0-9.]*MB' "$out" | tr -dc '0-9.\n'; }
off_space=$(space)

clean 1
marks=$(pending)
expected=$(printf '%s\n' 'C:\nvreboot-run\data\held\one.txt' 'C:\nvreboot-run\data\held\sub\two.txt' \
  'C:\nvreboot-run\data\held\sub' 'C:\nvreboot-run\data\held')
check "box on: exactly the held files, each folder after its files" [ "$marks" = "$expected" ]
check "box on: the row keeps today's words (Wine names no holder)" grep -qxF $'Custom Item\tDone' "$out"
check "box on: the end message counts the files marked" grep -qxF '2 files will be deleted at the next restart.' "$out"
check "box on: a hard-linked file and a link are never marked" bash -c "! grep -qiE 'kept|outside' <<<'$marks'"
check "box on: the marked files are not counted as released" \
  awk -v off="$off_space" -v on="$(space)" 'BEGIN { d = off - on; exit !(d > 1.99 && d < 2.01) }'
release

log=$(mktemp)
wine wineboot -r >"$log" 2>&1 </dev/null
rc=$?
rm -f "$log"
[ $rc -eq 0 ] || { echo "wineboot -r failed ($rc)"; exit 1; }
check "marked file deleted at restart" [ ! -e "$c/nvreboot/doomed.txt" ]
check "unmarked file kept" [ -e "$c/nvreboot/kept.txt" ]
check "link target kept" [ -e "$c/nvlinks/atreboot/target/keep.txt" ]
check "held files and their folders gone after the restart" [ ! -e "$d/held" ]
check "the hard-linked file and its twin kept" eval '[ -e "$d/kept/hard.txt" ] && [ -e "$root/outside/twin.txt" ]'
check "the link and its target kept" eval '[ -L "$d/kept/link.txt" ] && [ -e "$root/outside/target.txt" ]'
check "nothing pending after the restart" [ -z "$(pending)" ]
rm -rf "$c/nvreboot" "$root"
exit $fail
