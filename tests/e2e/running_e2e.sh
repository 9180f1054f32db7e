#!/usr/bin/env bash
# End to end under Wine: items whose program is running. Two stand-ins hold
# a file of their browser's data open: "firefox.exe" closes its window when
# asked, "opera.exe" refuses. /preview says what it will skip, /clean skips
# and never closes anything, /clean /close-running closes the polite one,
# cleans its items and skips the other's. Run by ctest inside tools/test.
#   running_e2e.sh BIN_DIR
set -u
bin=$1
. "$(dirname "$0")/sandbox-guard.sh"

c=$WINEPREFIX/drive_c
root=$c/nvtest-running W='C:\nvtest-running'
app=$root/app d=$root/data
exe="$W\\app\\cleaner.exe"
rm -rf "$root"
mkdir -p "$app/plus-in" "$d/Mozilla/Firefox/Profiles/a" "$d/Opera/Opera" "$d/Other"
cp "$bin/cleaner.exe" "$app/"
cp "$bin/otherprocess_tests.exe" "$root/firefox.exe"
cp "$bin/otherprocess_tests.exe" "$root/opera.exe"
out=$(mktemp) err=$(mktemp)
wine_q() { wine "$@" </dev/null 2>/dev/null | tr -d '\r'; }
sf='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
wine_q cmd /c "reg export \"$sf\\Shell Folders\" $W\\sf.reg /y & reg export \"$sf\\User Shell Folders\" $W\\usf.reg /y" >/dev/null
restore() {
  wine_q cmd /c "regedit /s $W\\sf.reg & regedit /s $W\\usf.reg" >/dev/null
  kill $(jobs -p) 2>/dev/null
  rm -rf "$root"; rm -f "$out" "$err"
}
trap restore EXIT
# Only "Shell Folders": a value added to "User Shell Folders" would outlive
# the restore (an import adds values, it removes none).
wine_q reg add "$sf\\Shell Folders" /v AppData /d "$W\\data" /f >/dev/null
wine_q reg add "$sf\\Shell Folders" /v 'Local AppData' /d "$W\\data" /f >/dev/null
run() {  # run ARGS...: output (CR removed) in $out, exit code in $rc
  timeout 120 wine "$exe" "$@" </dev/null 2>"$err" | tr -d '\r' >"$out"
  rc=${PIPESTATUS[0]}
}
row() { grep -qxF "$1" "$out"; }
up() { [ -f "$root/$1.up" ]; }
listed() { grep -qiP '^\w+\t.*(cookies\.sqlite|cookies4\.dat|x\.tmp)\t' "$out"; }
printf '[FIREFOX]\r\nCookies=1\r\n[Opera]\r\nCookies=1\r\n' > "$app/prisd.dat"
# A plug-in of Opera's: its row names the running executable of its [close].
printf '[name]\r\nappname=Opera Extra\r\n[swich]\r\non=1\r\n[close]\r\n1=notrunning.exe\r\n2=opera.exe\r\n[filekey]\r\n1=%s\\data\\Other|*.tmp\r\n' "$W" > "$app/plus-in/extra.ppe"
echo f > "$d/Mozilla/Firefox/Profiles/a/cookies.sqlite"
echo o > "$d/Opera/Opera/cookies4.dat"
echo t > "$d/Other/x.tmp"
wine "$W\\firefox.exe" hold "$W\\data\\Mozilla\\Firefox\\Profiles\\a\\cookies.sqlite" polite "$W\\firefox.up" </dev/null >/dev/null 2>&1 &
wine "$W\\opera.exe" hold "$W\\data\\Opera\\Opera\\cookies4.dat" stubborn "$W\\opera.up" </dev/null >/dev/null 2>&1 &
for i in $(seq 1 300); do up firefox && up opera && break; sleep 0.1; done
check "both stand-ins run" eval 'up firefox && up opera'

run /preview
check "preview: Firefox will be skipped" row $'Firefox Cookies\tWill skip: Firefox is running'
check "preview: Opera will be skipped" row $'Opera Cookies\tWill skip: Opera is running'
check "preview: the plug-in names the running executable" row $'Opera Extra\tWill skip: opera.exe is running'
check "preview: nothing of theirs listed" eval '! listed'
check "preview: nothing closed" eval 'up firefox && up opera'

run /clean
check "clean exits 0" [ $rc -eq 0 ]
check "clean: Firefox skipped" row $'Firefox Cookies\tSkipped: Firefox is running'
check "clean: Opera skipped" row $'Opera Cookies\tSkipped: Opera is running'
check "clean: the plug-in skipped" row $'Opera Extra\tSkipped: opera.exe is running'
check "clean: nothing closed" eval 'up firefox && up opera'
check "clean: their files stay" eval '[ -f "$d/Mozilla/Firefox/Profiles/a/cookies.sqlite" ] && [ -f "$d/Opera/Opera/cookies4.dat" ] && [ -f "$d/Other/x.tmp" ]'

start=$(date +%s)
run /clean /close-running
took=$(( $(date +%s) - start ))
check "close-running exits 0" [ $rc -eq 0 ]
check "close-running: the polite one closed" bash -c "! [ -f '$root/firefox.up' ]"
check "close-running: the refusing one still runs" up opera
check "close-running: Firefox cleaned" row $'Firefox Cookies\tDone'
check "close-running: its file is gone" [ ! -e "$d/Mozilla/Firefox/Profiles/a/cookies.sqlite" ]
check "close-running: Opera skipped" row $'Opera Cookies\tSkipped: Opera is running'
check "close-running: the plug-in skipped" row $'Opera Extra\tSkipped: opera.exe is running'
check "close-running: Opera's files stay" eval '[ -f "$d/Opera/Opera/cookies4.dat" ] && [ -f "$d/Other/x.tmp" ]'
check "close-running waited about 10 s for the refusing one (took ${took}s)" eval "[ $took -ge 9 ] && [ $took -le 60 ]"

echo f > "$d/Mozilla/Firefox/Profiles/a/cookies.sqlite"
run /preview
check "preview after it: Firefox's file listed again" listed

run /clean /close-running extra
check "a third word is a bad switch" [ $rc -eq 1 ]
run /close-running
check "/close-running alone is a bad switch" [ $rc -eq 1 ]
exit $fail
