#!/usr/bin/env bash
# The clean at session end, for real: cleaner.exe runs in the test prefix,
# `wineboot --end-session` ends the session, and with "Windows Shutdown" on
# the selected item is gone before the program is let go. Run by ctest
# inside tools/test.
#   sessionend_e2e.sh BIN_DIR
set -u
bin=$1
. "$(dirname "$0")/sandbox-guard.sh"

c=$WINEPREFIX/drive_c
app=$c/nvtest-session
rm -rf "$app"
mkdir -p "$app"
cp "$bin/cleaner.exe" "$app/"
err=$(mktemp)
trap 'rm -f "$err"' EXIT
mru='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Doc Find Spec MRU'

# session_end OPTION: starts the program with that WindowsShutdown value,
# ends the session once its window is there, waits for the program to go.
session_end() {
  wine reg add "$mru" /v a /d '*.txt' /f </dev/null >/dev/null 2>>"$err"
  printf '[WINDOWS]\r\nsearch=1\r\n[Options]\r\nWindowsShutdown=%s\r\n' "$1" > "$app/prisd.dat"
  wine 'C:\nvtest-session\cleaner.exe' </dev/null >/dev/null 2>>"$err" &
  local pid=$! i
  sleep 4
  wine wineboot --end-session --shutdown </dev/null >/dev/null 2>>"$err"
  ended=0
  for i in $(seq 60); do
    kill -0 $pid 2>/dev/null || { ended=1; break; }
    sleep 0.5
  done
  [ $ended = 1 ] || kill $pid 2>/dev/null
}
mru_present() { wine reg query "$mru" </dev/null >/dev/null 2>&1; }

session_end 1
check "option on: the session end let the program go" [ $ended = 1 ]
check "option on: the selected item was cleaned" eval '! mru_present'
check "option on: the run wrote its totals" grep -qa '^lastclean=.' "$app/prisd.dat"

session_end 0
check "option off: the session end let the program go" [ $ended = 1 ]
check "option off: nothing was cleaned" mru_present
check "option off: no run" eval '! grep -qa lastclean "$app/prisd.dat"'

wine reg delete "$mru" /f </dev/null >/dev/null 2>&1
rm -rf "$app"
exit $fail
