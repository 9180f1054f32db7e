#!/usr/bin/env bash
# Cleaning an application once it has closed, for real: cleaner.exe runs in
# the notification area of the test prefix with Firefox ticked under "When
# a browser closes"; dummyapp.exe copied as firefox.exe plays the browser.
# Each case closes it and looks at what was cleaned. Run by ctest inside
# tools/test.
#   closing_e2e.sh BIN_DIR TESTBIN_DIR
set -u
bin=$1 testbin=$2
. "$(dirname "$0")/sandbox-guard.sh"

c=$WINEPREFIX/drive_c
root=$c/nvtest-closing R='C:\nvtest-closing'
app=$root/app
err=$(mktemp)
wine_q() { wine "$@" </dev/null 2>>"$err"; }
rm -rf "$root"
mkdir -p "$app/plus-in" "$root/bin" "$root/flags" "$root/data"
cp "$bin/cleaner.exe" "$app/"
cp "$testbin/dummyapp.exe" "$root/bin/firefox.exe"
cp "$testbin/dummyapp.exe" "$root/bin/lockholder.exe"

appdata=$(wine_q cmd /c echo %APPDATA% | tr -d '\r')
roaming=$(wine_q winepath -u "$appdata" | tr -d '\r')
ff=$roaming/Mozilla/Firefox/Profiles/nvclose.default
opera=$roaming/Opera/Opera
appkey='HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\firefox.exe'
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -f "$root"/flags/* 2>/dev/null
  sleep 1
  wine_q reg delete "$appkey" /f >/dev/null 2>&1
  rm -rf "$root" "$roaming/Mozilla/Firefox/Profiles/nvclose.default" "$opera"
  rm -f "$err"
}
trap cleanup EXIT
wine_q reg add "$appkey" /ve /d 'C:\nvtest-closing\bin\firefox.exe' /f >/dev/null

# Firefox's cookies and Opera's saved passwords are ticked; only Firefox is
# watched. A plug-in closing firefox.exe belongs to Firefox; one closing
# another program does not; the custom item is nobody's.
printf '[FIREFOX]\r\nCookies=1\r\n[Opera]\r\npasswords=1\r\n[Custom]\r\nCustom=1\r\n[WhenClosed]\r\nFirefox=1\r\n' >"$app/prisd.dat"
printf 'C:\\nvtest-closing\\data\\custom.txt\tFile\r\n' >"$app/cusd.dat"
printf '[name]\r\nappname=Firefox - Test\r\n[swich]\r\non=1\r\n[close]\r\n1=firefox.exe\r\n[filekey]\r\n1=C:\\nvtest-closing\\data|ffplugin.txt\r\n' >"$app/plus-in/ff.ppe"
printf '[name]\r\nappname=Other\r\n[swich]\r\non=1\r\n[close]\r\n1=other.exe\r\n[filekey]\r\n1=C:\\nvtest-closing\\data|other.txt\r\n' >"$app/plus-in/other.ppe"
mkdir -p "$ff" "$opera"
plant() {  # the targets, anew
  echo c >"$ff/cookies.sqlite"
  echo p >"$root/data/ffplugin.txt"
  echo o >"$opera/wand.dat"; echo o >"$root/data/other.txt"; echo o >"$root/data/custom.txt"
}
ff_there() { [ -e "$ff/cookies.sqlite" ] || [ -e "$root/data/ffplugin.txt" ]; }
ff_gone() { [ ! -e "$ff/cookies.sqlite" ] && [ ! -e "$root/data/ffplugin.txt" ]; }
ff_both_there() { [ -e "$ff/cookies.sqlite" ] && [ -e "$root/data/ffplugin.txt" ]; }
others_kept() { [ -e "$opera/wand.dat" ] && [ -e "$root/data/other.txt" ] && [ -e "$root/data/custom.txt" ]; }

# start NAME EXE [ARGS]: a dummy that runs until flags/NAME is deleted.
start() {
  local name=$1 exe=$2; shift 2
  wine "$R\\bin\\$exe" "$@" "$R\\flags\\$name" </dev/null >/dev/null 2>>"$err" &
  local i
  for i in $(seq 100); do [ -e "$root/flags/$name" ] && return 0; sleep 0.1; done
  return 1
}
stop() { rm -f "$root/flags/$1"; }
lastclean() { grep -a '^lastclean=' "$app/prisd.dat" | tr -d '\r'; }

plant
wine "$R\\app\\cleaner.exe" min </dev/null >/dev/null 2>>"$err" &
pid=$!
sleep 5

# Two processes: the run waits for both, then cleans Firefox's items once.
start a firefox.exe && start b firefox.exe
sleep 3
stop a
sleep 8
check "two processes: nothing while one still runs" ff_both_there
stop b
sleep 9
check "last one closed: Firefox's item and plug-in cleaned" ff_gone
check "last one closed: other items, plug-ins and custom items untouched" others_kept
plant
sleep 9
check "one closing is one run" ff_both_there

# A restart within 5 s: no run until the new process has ended.
start a firefox.exe
sleep 3
stop a
sleep 2
start b firefox.exe
sleep 8
check "restart within 5 s: nothing yet" ff_both_there
stop b
sleep 9
check "restart within 5 s: one run after the new one closed" ff_gone

# Another run holds the lock: the clean waits for it, then runs once.
plant
start lock lockholder.exe /lock
start a firefox.exe
sleep 3
stop a
sleep 9
check "run in progress: nothing while it holds the lock" ff_both_there
stop lock
sleep 5
check "run in progress: one run after it ended" ff_gone
plant
sleep 6
check "run in progress: only one" ff_both_there

# Nothing of Firefox selected: no run at all.
before=$(lastclean)
sed -i 's/^Cookies=1/Cookies=0/' "$app/prisd.dat"
sed -i 's/^on=1/on=0/' "$app/plus-in/ff.ppe"
start a firefox.exe
sleep 3
stop a
sleep 9
check "nothing selected: nothing cleaned" ff_both_there
check "nothing selected: no run" [ "$(lastclean)" = "$before" ]
check "the program still runs" kill -0 "$pid"
exit $fail
