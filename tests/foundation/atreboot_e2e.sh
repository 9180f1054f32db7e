#!/usr/bin/env bash
# End-to-end check of DeleteAtReboot: mark files from inside the prefix,
# restart the prefix with `wineboot -r` (which carries out the pending
# deletes), then look from outside. Runs inside the prefix tools/test made.
# Usage: atreboot_e2e.sh EMULATOR TEST_EXE
set -u
emulator=$1 exe=$2
c=${WINEPREFIX:?run through tools/test}/drive_c
rm -rf "$c/nvreboot"
"$emulator" "$exe" --gtest_also_run_disabled_tests --gtest_filter='AtRebootEndToEnd.*' || exit 1
log=$(mktemp)
wine wineboot -r >"$log" 2>&1 </dev/null
rc=$?
rm -f "$log"
[ $rc -eq 0 ] || { echo "wineboot -r failed ($rc)"; exit 1; }
failed=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failed=$((failed + 1)); fi; }
check "marked file deleted at restart" "[ ! -e '$c/nvreboot/doomed.txt' ]"
check "unmarked file kept" "[ -e '$c/nvreboot/kept.txt' ]"
check "link target kept" "[ -e '$c/nvlinks/atreboot/target/keep.txt' ]"
rm -rf "$c/nvreboot"
echo "$((3 - failed)) passed, $failed failed"
[ $failed -eq 0 ]
