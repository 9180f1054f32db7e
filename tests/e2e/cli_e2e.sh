#!/usr/bin/env bash
# End to end under Wine: cleaner.exe /preview and /clean on prepared registry
# keys and folders of the test prefix. Run by ctest inside tools/test.
#   cli_e2e.sh BIN_DIR
set -u
bin=$1
. "$(dirname "$0")/lib.sh"

c=$WINEPREFIX/drive_c
app=$c/nvtest-e2e/app
rm -rf "$c/nvtest-e2e" "$c/Found.000" "$c/Found.003"
mkdir -p "$app"
cp "$bin/cleaner.exe" "$bin/delThumbs.bat" "$app/"
exe='C:\nvtest-e2e\app\cleaner.exe'
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

wine_q() { wine "$@" </dev/null 2>>"$err"; }
reg_add() { wine_q reg add "$@" /f >/dev/null; }
reg_has() { wine_q reg query "$@" >/dev/null 2>&1; }
reg_gone() { ! reg_has "$@"; }

# Prepared state: three registry items, the scandisk folders, the Windows temp folder.
explorer='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
reg_add "$explorer\\RunMRU" /v a /d 'notepad\1'
reg_add "$explorer\\Doc Find Spec MRU" /v a /d '*.txt'
reg_add "$explorer\\TrayNotify" /v IconStreams /t REG_BINARY /d 00
reg_add "$explorer\\TrayNotify" /v Keep /d kept
mkdir -p "$c/Found.000" "$c/Found.003/sub"
head -c 1000 /dev/zero > "$c/Found.000/FILE0000.CHK"
head -c 24 /dev/zero > "$c/Found.003/FILE0001.CHK"
head -c 7 /dev/zero > "$c/Found.003/sub/deeper.chk"   # below the folder: stays
printf '[WINDOWS]\r\nrun=1\r\nsearch=1\r\nnotification=1\r\nscandisk=1\r\npasswords=1\r\n' > "$app/prisd.dat"
profile_before=$(md5sum < "$app/prisd.dat")

# Preview: lists, counts, touches nothing.
wine "$exe" /preview >"$out" 2>>"$err" </dev/null
rc=$?
tr -d '\r' < "$out" > "$out.txt"; mv "$out.txt" "$out"
cat "$out"
check "preview exits 0" [ $rc -eq 0 ]
check "preview lists the RunMRU key" grep -qxF $'key\tHKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU\t0' "$out"
check "preview lists the notification value" grep -qF $'value\tHKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify\\IconStreams' "$out"
check "preview lists the scandisk file" grep -qF $'file\tC:\\Found.000\\FILE0000.CHK\t1000' "$out"
check "preview rows in catalogue order" diff <(grep -P '\t(Done)?$' "$out") <(printf 'Start Menu Run History\tDone\nStart Menu Search History\tDone\nScandisk Temp Files\tDone\nWindows Passwords(Only 9X/Me)\tDone\nPast items from the notification area\tDone\nTask complete Successfully!\t\n')
check "preview totals" grep -qxF 'Preview: Cleaned Registry Keys: 37 Released HD Space:0.00MB' "$out"
check "preview kept the key" reg_has "$explorer\\RunMRU"
check "preview kept the files" [ -f "$c/Found.000/FILE0000.CHK" ]
check "preview left the profile alone" [ "$(md5sum < "$app/prisd.dat")" = "$profile_before" ]

# Clean: the same totals, the targets gone, the rest kept, the profile written.
wine "$exe" /clean >"$out" 2>>"$err" </dev/null
rc=$?
tr -d '\r' < "$out" > "$out.txt"; mv "$out.txt" "$out"
cat "$out"
check "clean exits 0" [ $rc -eq 0 ]
check "clean end message" grep -qxF 'Task complete Successfully! Cleaned Registry Keys: 37 Released HD Space:0.00MB' "$out"
check "clean removed RunMRU" reg_gone "$explorer\\RunMRU"
check "clean kept the other TrayNotify value" wine_q reg query "$explorer\\TrayNotify" /v Keep
check "clean removed the scandisk files" [ ! -e "$c/Found.000/FILE0000.CHK" -a ! -e "$c/Found.003/FILE0001.CHK" ]
check "clean kept files below the scandisk folders" [ -f "$c/Found.003/sub/deeper.chk" ]
check "clean wrote regnum" grep -qa 'regnum=37' "$app/prisd.dat"
check "clean wrote filesize" grep -qa 'filesize=1024' "$app/prisd.dat"
check "clean wrote lastclean" grep -qa '^lastclean=.' "$app/prisd.dat"

wine "$exe" /nonsense >/dev/null 2>>"$err" </dev/null
check "a bad switch exits 1" [ $? -eq 1 ]

rm -rf "$c/nvtest-e2e" "$c/Found.000" "$c/Found.003"
wine_q reg delete "$explorer\\TrayNotify" /f >/dev/null 2>&1
exit $fail
