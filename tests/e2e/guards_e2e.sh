#!/usr/bin/env bash
# End to end under Wine: what plug-ins and imports bring in meets the same
# guards as the built-in items. Registry system trees and the platform's
# vendor keys are refused; a key that cannot be listed ends the run instead
# of spinning; an unreadable keep list stops its item before anything goes;
# an import replaces only the files it wrote and nobody changed, and takes
# the run lock. Run by ctest inside tools/test.
#   guards_e2e.sh BIN_DIR TESTBIN_DIR
set -u
bin=$1 testbin=$2
. "$(dirname "$0")/sandbox-guard.sh"

c=$WINEPREFIX/drive_c
root=$c/nvtest-guards
app=$root/app d=$root/data
exe='C:\nvtest-guards\app\cleaner.exe'
rm -rf "$root"
mkdir -p "$app/plus-in" "$d/App/Cache" "$d/Cookies"
cp "$bin/cleaner.exe" "$app/"
cp "$testbin/holdopen.exe" "$root/"
out=$(mktemp) err=$(mktemp)
wine_q() { wine "$@" </dev/null 2>/dev/null | tr -d '\r'; }
sf='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
wine_q cmd /c "reg export \"$sf\\Shell Folders\" C:\\nvtest-guards\\sf.reg /y & reg export \"$sf\\User Shell Folders\" C:\\nvtest-guards\\usf.reg /y" >/dev/null
restore() {
  rm -f "$root"/*.held
  wine_q cmd /c 'regedit /s C:\nvtest-guards\sf.reg & regedit /s C:\nvtest-guards\usf.reg' >/dev/null
  wine_q reg delete 'HKLM\SYSTEM\NorvaleDecoy' /f >/dev/null
  wine_q reg delete 'HKCU\Software\NorvaleDecoy' /f >/dev/null
  rm -rf "$root"; rm -f "$out" "$err"
}
trap restore EXIT
run() {  # run ARGS...: output (CR removed) in $out and $err, exit code in $rc
  timeout 120 wine "$exe" "$@" >"$out" 2>"$err" </dev/null
  rc=$?
  tr -d '\r' < "$out" > "$out.t"; mv "$out.t" "$out"; tr -d '\r' < "$err" > "$err.t"; mv "$err.t" "$err"
}
plugin() { printf '[name]\r\nappname=%s\r\n[swich]\r\non=1\r\n[regkey]\r\n' "$1"; shift; local i=1; for l; do printf '%d=%s\r\n' $i "$l"; i=$((i+1)); done; }
printf '[EXPLORER]\r\n' > "$app/prisd.dat"

# --- Registry: system trees and vendor keys refused, in every spelling ----
wine_q reg add 'HKLM\SYSTEM\NorvaleDecoy\A\B' /v v /d x /f >/dev/null
wine_q reg add 'HKLM\SYSTEM\NorvaleDecoy\A' /v v /d x /f >/dev/null
decoy_value() { wine_q reg query 'HKLM\SYSTEM\NorvaleDecoy\A' /v v | grep -q REG_SZ; }
wine_q reg add 'HKCU\Software\NorvaleDecoy\Gone' /v v /d x /f >/dev/null
plugin Guarded 'HKEY_LOCAL_MACHINE\SYSTEM\NorvaleDecoy\\' 'HKLM\system\\NorvaleDecoy\A|v' 'HKCU\Software\Microsoft' \
  'HKLM\SOFTWARE\Wow6432Node\Microsoft\' 'HKCU\Software\NorvaleDecoy\Gone' > "$app/plus-in/guarded.ppe"
# How many keys the tree holds; Wine adds display keys below Control\Video
# whenever a program starts.
keys() { wine_q reg query "$1" /s | grep '^HKEY_' | grep -vc '\\Control\\Video\\'; }
sys_before=$(keys 'HKLM\SYSTEM') ms_before=$(keys 'HKCU\Software\Microsoft')
run /preview
check "preview refuses the SYSTEM tree" grep -qxF $'refused\tHKEY_LOCAL_MACHINE\\SYSTEM\\NorvaleDecoy\t0\tprotected' "$out"
check "preview refuses a value in it" grep -qxF $'refused\tHKEY_LOCAL_MACHINE\\system\\\\NorvaleDecoy\\A\\v\t0\tprotected' "$out"
check "preview refuses HKCU\\Software\\Microsoft" grep -qxF $'refused\tHKEY_CURRENT_USER\\Software\\Microsoft\t0\tprotected' "$out"
check "preview refuses the 32-bit view's Microsoft" \
  grep -qxF $'refused\tHKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\t0\tprotected' "$out"
check "preview lists the allowed key" grep -qxF $'keytree\tHKEY_CURRENT_USER\\Software\\NorvaleDecoy\\Gone\t0' "$out"
check "refusals count nothing" grep -qxF 'Preview: Cleaned Registry Keys: 6 Released HD Space:0.05MB' "$out"
run /clean
check "clean exits 0" [ $rc -eq 0 ]
check "clean counts only the allowed key" grep -qxF 'Task complete Successfully! Cleaned Registry Keys: 6 Released HD Space:0.05MB' "$out"
check "HKLM\\SYSTEM keeps every key" [ "$(keys 'HKLM\SYSTEM')" = "$sys_before" ]
check "the decoy value below it stays" decoy_value
check "HKCU\\Software\\Microsoft keeps every key" [ "$(keys 'HKCU\Software\Microsoft')" = "$ms_before" ]
check "the allowed key is gone" bash -c "! wine reg query 'HKCU\\Software\\NorvaleDecoy\\Gone' </dev/null >/dev/null 2>&1"

# --- A key that cannot be listed (Wine's Perflib\009) ends the run --------
rm -f "$app/plus-in"/*
plugin Perf 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Perflib' > "$app/plus-in/perf.ppe"
run /preview
check "preview above the unlistable key ends" [ $rc -eq 0 ]
check "it lists the key as refused" grep -qxF $'refused\tHKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\009\t0\tnot listed' "$out"
plugin Perf 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Perflib\009' > "$app/plus-in/perf.ppe"
run /clean
check "clean of the unlistable key ends" eval "[ $rc -eq 0 ] && grep -qxF $'Perf\tDone' '$out'"
perflib='HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Perflib'
check "the key is still there" eval "wine_q reg query '$perflib' | grep -qxF '$perflib\\009'"
rm -f "$app/plus-in"/*

# --- Keep lists that exist but cannot be read -----------------------------
for k in 'Shell Folders' 'User Shell Folders'; do
  wine_q reg add "$sf\\$k" /v Cookies /d 'C:\nvtest-guards\data\Cookies' /f >/dev/null
done
printf '[EXPLORER]\r\nlocation=1\r\ncookies=1\r\n' > "$app/prisd.dat"
prepare() {
  echo a > "$d/Cookies/u@kept.txt"; echo b > "$d/Cookies/u@other.txt"
  wine_q reg add 'HKCU\Software\Microsoft\Internet Explorer\TypedURLs' /v url1 /d http://kept.example/ /f >/dev/null
  wine_q reg add 'HKCU\Software\Microsoft\Internet Explorer\TypedURLs' /v url2 /d http://other.example/ /f >/dev/null
}
unread() {  # unread CASE: both lists unreadable, nothing deleted, both rows Fail
  check "$1: clean exits 0" [ $rc -eq 0 ]
  check "$1: typed addresses row" grep -qxF $'IE Location Bar History\tFail, keepurl.dat cannot be read' "$out"
  check "$1: cookies row" grep -qxF $'IE Cookies\tFail, keepcook.dat cannot be read' "$out"
  check "$1: every cookie kept" eval '[ -f "$d/Cookies/u@kept.txt" ] && [ -f "$d/Cookies/u@other.txt" ]'
  check "$1: every typed address kept" eval "[ \$(wine_q reg query 'HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs' | grep -c REG_SZ) -eq 2 ]"
}
printf 'C:\\nvtest-guards\\data\\Cookies\\u@kept.txt\r\n' > "$app/keepcook.dat"
printf 'http://kept.example/\r\n' > "$app/keepurl.dat"
prepare
wine "C:\\nvtest-guards\\holdopen.exe" 'C:\nvtest-guards\app\keepcook.dat' 'C:\nvtest-guards\cook.held' </dev/null >/dev/null 2>&1 &
wine "C:\\nvtest-guards\\holdopen.exe" 'C:\nvtest-guards\app\keepurl.dat' 'C:\nvtest-guards\url.held' </dev/null >/dev/null 2>&1 &
for i in $(seq 1 300); do [ -f "$root/cook.held" ] && [ -f "$root/url.held" ] && break; sleep 0.1; done
check "the lists are held open" eval '[ -f "$root/cook.held" ] && [ -f "$root/url.held" ]'
run /preview
check "held open: preview rows say Fail" grep -qxF $'IE Cookies\tFail, keepcook.dat cannot be read' "$out"
check "held open: preview lists no cookie" bash -c "! grep -qF u@ '$out'"
run /clean
unread "held open"
rm -f "$root"/*.held; wait
rm "$app/keepcook.dat" "$app/keepurl.dat"
mkdir "$app/keepcook.dat" "$app/keepurl.dat"
run /clean
unread "a folder"
rmdir "$app/keepcook.dat" "$app/keepurl.dat"
truncate -s 65M "$app/keepcook.dat" "$app/keepurl.dat"
run /clean
unread "over the limit"
rm "$app/keepcook.dat" "$app/keepurl.dat"
run /clean
check "missing lists: cookies deleted" eval '[ ! -e "$d/Cookies/u@kept.txt" ] && [ ! -e "$d/Cookies/u@other.txt" ]'
check "missing lists: typed addresses deleted" eval "[ \$(wine_q reg query 'HKCU\\Software\\Microsoft\\Internet Explorer\\TypedURLs' | grep -c REG_SZ) -eq 0 ]"
printf '[EXPLORER]\r\n' > "$app/prisd.dat"

# --- The import refuses what the run would refuse --------------------------
printf '; Version: 1\r\n; # of entries: 3\r\n[Sys *]\r\nDetectFile=C:\\nvtest-guards\\data\\App\r\nRegKey1=HKLM\\SYSTEM\\CurrentControlSet\r\n' > "$d/w.ini"
printf '[SysValue *]\r\nDetectFile=C:\\nvtest-guards\\data\\App\r\nRegKey1=HKEY_LOCAL_MACHINE\\system\\\\Select|Current\r\n' >> "$d/w.ini"
printf '[Vendor *]\r\nDetectFile=C:\\nvtest-guards\\data\\App\r\nRegKey1=HKCU\\Software\\Microsoft\\\r\n' >> "$d/w.ini"
run /import-winapp2 'C:\nvtest-guards\data\w.ini'
check "protected keys: nothing imported" grep -qxF 'Imported 0 of 3 entries (0 not on this machine, 3 skipped: reasons on standard error)' "$out"
check "protected keys: the reasons" eval "[ \$(grep -c 'RegKey1: a protected registry key' '$err') -eq 3 ]"
check "protected keys: no plug-in written" [ -z "$(ls "$app/plus-in")" ]

# --- The import owns only the files it wrote -------------------------------
entry() { printf '; Version: %s\r\n; # of entries: 1\r\n[%s *]\r\nDetectFile=C:\\nvtest-guards\\data\\App\r\nFileKey1=C:\\nvtest-guards\\data\\App\\Cache|*.%s\r\n' "$@" > "$d/w.ini"; }
ours="$app/plus-in/Winapp2 - Demo App.ppe"
entry 1 'Demo App' tmp
run /import-winapp2 'C:\nvtest-guards\data\w.ini'
check "first import exits 0" [ $rc -eq 0 ]
sed -i 's/^on=0/on=1/' "$ours"   # ticked: still the import's own
cp "$ours" "$app/plus-in/My Demo.ppe"; sed -i 's/\*\.tmp/*.log/' "$app/plus-in/My Demo.ppe"
cp "$ours" "$app/plus-in/Renamed.ppe"
mine=$(cat "$app/plus-in/My Demo.ppe" "$app/plus-in/Renamed.ppe" | md5sum)
entry 2 'Demo App' bak
run /import-winapp2 'C:\nvtest-guards\data\w.ini'
check "re-import exits 0" [ $rc -eq 0 ]
check "its own plug-in is replaced, tick kept" eval "grep -qa '^1=C:.*|\\*\\.bak' '$ours' && grep -qa '^on=1' '$ours'"
check "the user's copies are untouched" [ "$(cat "$app/plus-in/My Demo.ppe" "$app/plus-in/Renamed.ppe" | md5sum)" = "$mine" ]
check "and reported" eval "grep -qxF 'left alone (changed or renamed since imported): C:\\nvtest-guards\\app\\plus-in\\My Demo.ppe' '$err' &&
  grep -qF 'Renamed.ppe' '$err'"
entry 3 'Other' old
run /import-winapp2 'C:\nvtest-guards\data\w.ini'
check "an entry gone: its plug-in goes, the copies stay" eval "[ ! -e '$ours' ] && [ \"\$(cat '$app/plus-in/My Demo.ppe' '$app/plus-in/Renamed.ppe' | md5sum)\" = '$mine' ]"
rm -f "$app/plus-in"/*

# --- Two imports at once: the second exits 3 and writes nothing -------------
{ printf '; Version: 9\r\n; # of entries: 1500\r\n'
  for i in $(seq 1 1500); do printf '[Demo %d *]\r\nDetectFile=C:\\nvtest-guards\\data\\App\r\nFileKey1=C:\\nvtest-guards\\data\\App\\C%d|*.tmp\r\n' $i $i; done
} > "$d/big.ini"
wine "$exe" /import-winapp2 'C:\nvtest-guards\data\big.ini' >/dev/null 2>&1 </dev/null & first=$!
for i in $(seq 1 600); do [ -n "$(ls "$app/plus-in")" ] && break; sleep 0.05; done
run /import-winapp2 'C:\nvtest-guards\data\big.ini'
wait $first; rc_first=$?
check "the first import exits 0" [ $rc_first -eq 0 ]
check "the second exits 3" [ $rc -eq 3 ]
check "it says why" grep -qxF 'another cleaning run or import is in progress; nothing was imported.' "$err"
check "no duplicate plug-ins" eval "[ \$(ls '$app/plus-in' | wc -l) -eq 1500 ] && ! ls '$app/plus-in' | grep -qF '(2)'"

exit $fail
