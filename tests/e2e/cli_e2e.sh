#!/usr/bin/env bash
# End to end under Wine: cleaner.exe /preview and /clean on prepared registry
# keys and folders of the test prefix. Run by ctest inside tools/test.
#   cli_e2e.sh BIN_DIR
set -u
bin=$1
. "$(dirname "$0")/sandbox-guard.sh"

c=$WINEPREFIX/drive_c
app=$c/nvtest-e2e/app
rm -rf "$c/nvtest-e2e" "$c/Found.000" "$c/Found.003"
mkdir -p "$app"
cp "$bin/cleaner.exe" "$app/"
exe='C:\nvtest-e2e\app\cleaner.exe'
out=$(mktemp) err=$(mktemp)
user_dir=$(ls -d "$c"/users/*/ | grep -v '/Public/$' | head -1); user_dir=${user_dir%/}
# Whatever happens, an unwritable profile must not outlive the test (an
# immutable file would stop the next fresh prefix from being removed).
cleanup() {
  chattr -i "$app/prisd.dat" 2>/dev/null; chmod -R u+w "$c/nvtest-e2e" 2>/dev/null
  rm -rf "$user_dir/nvtest-e2e" "$c/Found.001"
  rm -f "$out" "$err"
}
trap cleanup EXIT

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

# Bad switches end at once, however they are quoted or padded.
for a in "/clean extra" " /clean" $'/clean\t' "-preview "; do
  timeout 20 wine "$exe" "$a" >"$out" 2>>"$err" </dev/null
  rc=$?
  check "switch $(printf %q "$a") exits 1 with nothing on standard output" [ $rc -eq 1 -a ! -s "$out" ]
done

# Thumbs.db: every one below the profile in any letter case, never through
# links planted from here (a file link named Thumbs.db, a folder link).
run_clean() {  # run_clean PROFILE-TEXT: /clean with that profile; stdout in $out, exit code in $rc
  printf "$1" > "$app/prisd.dat"
  wine "$exe" /clean >"$out" 2>>"$err" </dev/null
  rc=$?
  tr -d '\r' < "$out" > "$out.txt"; mv "$out.txt" "$out"
}
outside=$c/nvtest-e2e/outside
mkdir -p "$outside/photos" "$user_dir/nvtest-e2e/Links" "$user_dir/nvtest-e2e/Contacts"
echo precious > "$outside/important.doc"
echo cache > "$outside/photos/Thumbs.db"
ln -s "$outside/important.doc" "$user_dir/nvtest-e2e/Links/Thumbs.db"
ln -s "$outside/photos" "$user_dir/nvtest-e2e/Contacts/photos"
head -c 10 /dev/zero > "$user_dir/nvtest-e2e/thumbs.DB"
run_clean '[WINDOWS]\r\nthumbs=1\r\n'
check "thumbs: the row is done" grep -qxF $'Thumbs.db\tDone' "$out"
check "thumbs: a Thumbs.db of the profile went" [ ! -e "$user_dir/nvtest-e2e/thumbs.DB" ]
check "thumbs: the file behind a link named Thumbs.db stays" [ -f "$outside/important.doc" ]
check "thumbs: the Thumbs.db behind a folder link stays" [ -f "$outside/photos/Thumbs.db" ]

# Names ending in a dot or a blank are cleaned; a link with such a name is not.
mkdir -p "$c/Found.001"
head -c 100 /dev/zero > "$c/Found.001/trail."
head -c 200 /dev/zero > "$c/Found.001/trail "
ln -s ../nvtest-e2e/outside/important.doc "$c/Found.001/link."
run_clean '[WINDOWS]\r\nscandisk=1\r\n'
check "dot and blank names removed" [ ! -e "$c/Found.001/trail." -a ! -e "$c/Found.001/trail " ]
check "the link with a dot name stays, and its target" [ -L "$c/Found.001/link." -a -f "$outside/important.doc" ]

# A plug-in whose only line aims at C:\ (refused) removes nothing and counts
# nothing, not even the fixed amount of a plug-in run. A preview: it counts
# as the clean would.
mkdir -p "$app/plus-in"
printf '[name]\r\nappname=Root\r\n[swich]\r\non=1\r\n[folder]\r\n1=C:\\,\r\n' > "$app/plus-in/root.ppe"
printf '[WINDOWS]\r\n' > "$app/prisd.dat"
wine "$exe" /preview >"$out" 2>>"$err" </dev/null
tr -d '\r' < "$out" > "$out.txt"; mv "$out.txt" "$out"
check "a plug-in that removes nothing: its row counts the refused line" grep -qxF $'Root\tDone, 1 line refused' "$out"
check "a plug-in that removes nothing: it refuses C:\\" grep -qxF $'refused\tC:\\\t0\tprotected' "$out"
check "a plug-in that removes nothing counts nothing" grep -qxF 'Preview: Cleaned Registry Keys: 0 Released HD Space:0.00MB' "$out"
rm -rf "$app/plus-in"

# A profile that cannot be written: the run's own totals, a line on
# standard error, exit 4.
printf '[WINDOWS]\r\nrun=1\r\nsearch=1\r\n[Options]\r\nregnum=999\r\nfilesize=5242880\r\n' > "$app/prisd.dat"
if [ "$(id -u)" = 0 ]; then chattr +i "$app/prisd.dat" 2>/dev/null; else chmod a-w "$app/prisd.dat"; fi
if ( : >> "$app/prisd.dat" ) 2>/dev/null; then
  echo "skip - the profile cannot be made unwritable here (root without chattr)"
else
  wine "$exe" /clean >"$out" 2>"$out.err" </dev/null
  rc=$?
  tr -d '\r' < "$out" > "$out.txt"; mv "$out.txt" "$out"
  check "unwritable profile exits 4" [ $rc -eq 4 ]
  check "unwritable profile: the run's own totals" grep -qxF 'Task complete Successfully! Cleaned Registry Keys: 33 Released HD Space:0.00MB' "$out"
  check "unwritable profile: said on standard error" grep -qF 'The totals could not be saved' "$out.err"
  cat "$out.err" >> "$err"
fi
rm -f "$out.err"
chattr -i "$app/prisd.dat" 2>/dev/null; chmod u+w "$app/prisd.dat"

rm -rf "$c/nvtest-e2e" "$c/Found.000" "$c/Found.003"
wine_q reg delete "$explorer\\TrayNotify" /f >/dev/null 2>&1
exit $fail
