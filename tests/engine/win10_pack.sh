#!/usr/bin/env bash
# The pack's Windows 10 and 11 items as they ship, in the test prefix told
# to report Windows 10 (Wine's own version setting, for one copy of the
# engine tests only: every other test keeps Wine's 6.1).
# Usage: win10_pack.sh EMULATOR ENGINE_TESTS_EXE
set -u
emulator=$1 exe=$2
[ -n "${WINEPREFIX:-}" ] || { echo "run through tools/test"; exit 2; }
copy=$(dirname "$exe")/engine_tests_win10.exe
cp "$exe" "$copy"
key='HKCU\Software\Wine\AppDefaults\engine_tests_win10.exe'
wine reg add "$key" /v Version /d win10 /f >/dev/null 2>&1 </dev/null
out=$(mktemp)
trap 'wine reg delete "$key" /f >/dev/null 2>&1 </dev/null; rm -f "$out" "$copy"' EXIT
"$emulator" "$copy" --gtest_filter='Pack_.Windows*' | tee "$out"
rc=${PIPESTATUS[0]}
[ "$rc" -eq 0 ] || exit "$rc"
# The Windows items ran, and their "before Windows 10" twin was skipped.
grep -q '^\[       OK \] Pack_.WindowsItemsEachAloneOnWindows10' "$out" || { echo "the Windows 10 items did not run"; exit 1; }
grep -q '^\[  SKIPPED \] Pack_.WindowsItemsBeforeWindows10ChangeNothing' "$out" || { echo "the prefix did not report Windows 10"; exit 1; }
