#!/usr/bin/env bash
# The update check against a version-file server on 127.0.0.1 that this
# script starts: the shell tests' fetches (newer, same, older, garbage, too
# big, missing, no answer in time), then the real program: unticked it asks
# for nothing, ticked it asks once and not again within the week.
#   update_e2e.sh BIN_DIR
set -u
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/sandbox-guard.sh"

c=$WINEPREFIX/drive_c
app=$c/nvtest-update/app
exe='C:\nvtest-update\app\cleaner.exe'
tmp=$(mktemp -d)
server=
cleanup() {
  wine taskkill /f /im cleaner.exe >/dev/null 2>&1 </dev/null
  [ -n "$server" ] && kill "$server" 2>/dev/null
  rm -rf "$tmp" "$c/nvtest-update"
}
trap cleanup EXIT

python3 "$here/version_server.py" "$tmp/port" "$tmp/log" 300 &
server=$!
for i in $(seq 100); do [ -s "$tmp/port" ] && break; sleep 0.1; done
url=http://127.0.0.1:$(cat "$tmp/port")
requested() { grep -qxF "$1" "$tmp/log"; }

NV_UPDATE_SERVER=$url "$here/../../tools/lib/wine-emulator" "$bin/shell_tests.exe" --gtest_filter='UpdateCheck*' \
  > "$tmp/gtest.txt" 2>&1
rc=$?
cat "$tmp/gtest.txt"
check "the fetch tests pass" [ $rc -eq 0 ]
check "they ran against the server" grep -q '^\[       OK \] UpdateCheckServer.OffersOnlyANewerVersion' "$tmp/gtest.txt"
check "the server answered each case" requested /v/6.0.1
check "a no-answer case was asked" requested /hang
check "unticked: nothing fetched" bash -c "! grep -q unticked '$tmp/log'"
check "within the week: nothing fetched" bash -c "! grep -q recent '$tmp/log'"

# The real program: the first check comes about five seconds after the start.
mkdir -p "$app"
cp "$bin/cleaner.exe" "$app/"
profile() { printf '[Options]\r\nautoclean=%s\r\nupdateurl=%s\r\n' "$1" "$2" > "$app/prisd.dat"; }
run_for() {  # run_for SECONDS: the window program, then ended
  wine "$exe" >/dev/null 2>&1 </dev/null &
  local pid=$! i
  for i in $(seq $(($1 * 10))); do [ -n "${2:-}" ] && requested "$2" && break; sleep 0.1; done
  sleep 0.5
  wine taskkill /f /im cleaner.exe >/dev/null 2>&1 </dev/null
  wait "$pid" 2>/dev/null
}
profile 0 "$url/v/99.0.0?app-unticked"
run_for 9
check "the program unticked: nothing fetched" bash -c "! grep -q app-unticked '$tmp/log'"
check "the program unticked: no check recorded" bash -c "! grep -qa lastupdatecheck '$app/prisd.dat'"
profile 1 "$url/v/99.0.0?app"
run_for 20 '/v/99.0.0?app'
check "the program ticked: fetched" requested '/v/99.0.0?app'
check "the program recorded the check" grep -qaE '^lastupdatecheck=[0-9]+' "$app/prisd.dat"
run_for 9
check "the program again: not within the week" [ "$(grep -cxF '/v/99.0.0?app' "$tmp/log")" = 1 ]
exit $fail
