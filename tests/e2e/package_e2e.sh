#!/usr/bin/env bash
# The packages end to end, in a fresh prefix of their own
# (build/wine/package-prefix): build them with tools/package, install
# silently, run the installed program, keep a profile across an upgrade to
# the next version, uninstall silently and find nothing left; then the
# portable zip writes nothing outside its folder.
#   package_e2e.sh
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tools/lib/common.sh"
fail=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok   - $1"; else echo "FAIL - $1"; fail=1; fi
}

out=$("$NV_ROOT/tools/package") || { echo "FAIL - tools/package"; exit 1; }
setup=$(sed -n 1p <<<"$out") zip=$(sed -n 2p <<<"$out")
next=$("$NV_ROOT/tools/package" --next | sed -n 1p) || { echo "FAIL - tools/package --next"; exit 1; }
check "setup and zip are named by the version" [ "$(basename "$setup")" = "NorvaleSystemCleaner-$(cat "$NV_BUILD/version.txt")-setup.exe" -a -f "$zip" ]

p=$NV_WINE/package-prefix
nv_prefix "$p" fresh
# Wine's own menu integration would record the shortcuts in the registry.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
trap 'nv_stop_wine' EXIT
cd "$p"
c=$p/drive_c
user=$(ls "$c/users" | grep -vx Public | head -1)
dir="$c/users/$user/AppData/Local/Programs/Norvale System Cleaner"
win_dir="C:\\users\\$user\\AppData\\Local\\Programs\\Norvale System Cleaner"
uninst_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Norvale System Cleaner'
log=$NV_WINE/package-e2e.log
: > "$log"
w() { wine "$@" </dev/null 2>>"$log"; }

# The prefix's files and registry, with what Wine changes by itself left out.
snapshot() {  # snapshot NAME
  wineserver -k; wineserver -w
  (cd "$p" && find drive_c -printf '%y %p\n' | grep -v '^[df] drive_c/norvale-' | LC_ALL=C sort) > "$NV_WINE/$1.files"
  for h in system user userdef; do
    sed -e '/^#time=/d' -e 's/^\(\[.*\]\) [0-9]*$/\1/' -e '/^"DriverDateData"=/d' "$p/$h.reg"
  done > "$NV_WINE/$1.reg"
}
run_setup() {  # run_setup LINUX-PATH ARGS...: copied into the prefix first
  cp "$1" "$c/setup.exe"
  w 'C:\setup.exe' "${@:2}"
  local rc=$?
  rm -f "$c/setup.exe"
  return $rc
}
installed_version() { w reg query "$uninst_key" /v DisplayVersion | tr -d '\r' | awk '/DisplayVersion/ { print $3 }'; }

snapshot before
run_setup "$setup" /S
check "silent install exits 0" [ $? -eq 0 ]
check "installed per user" [ -f "$dir/cleaner.exe" -a -f "$dir/uninstall.exe" -a -f "$dir/Ext.txt" ]
check "every shipped plug-in installed" [ "$(ls "$dir/plus-in" | wc -l)" = "$(ls "$NV_ROOT/res/app/plus-in" | wc -l)" ]
check "Start-menu shortcut" [ -f "$c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Norvale System Cleaner.lnk" ]
check "no desktop shortcut unless asked" [ ! -e "$c/users/$user/Desktop/Norvale System Cleaner.lnk" ]
check "Add or remove programs entry" [ "$(installed_version)" = "$(cat "$NV_BUILD/version.txt")" ]
check "quiet uninstall command" bash -c "wine reg query '$uninst_key' /v QuietUninstallString 2>/dev/null </dev/null | grep -qF 'uninstall.exe\" /S'"

w "$win_dir\\cleaner.exe" /? > "$NV_WINE/usage.txt" 2>&1
check "installed cleaner.exe /? exits 0" [ $? -eq 0 ]
w "$win_dir\\cleaner.exe" /preview > "$NV_WINE/preview.txt"
check "installed cleaner.exe /preview exits 0" [ $? -eq 0 ]
check "preview end message" grep -q '^Preview: Cleaned Registry Keys:' "$NV_WINE/preview.txt"

# The user's own state: profile, custom items, keep lists, Ext.txt edits,
# a plug-in of their own, a ticked shipped plug-in, and what the program
# writes into the registry (start-with-Windows value, Search and Erase).
printf '[Options]\r\nautoclean=0\r\n[WINDOWS]\r\nrun=1\r\n' > "$dir/prisd.dat"
printf 'C:\\mine\\a.tmp\tFile\r\n' > "$dir/cusd.dat"
printf 'http://kept.example/\r\n' > "$dir/keepurl.dat"
printf 'kept@cookie.txt\r\n' > "$dir/keepcook.dat"
printf '*.mine\r\n' >> "$dir/Ext.txt"
printf '[name]\r\nappname=Mine\r\n[swich]\r\non=1\r\n' > "$dir/plus-in/Mine.ppe"
shipped=$(ls "$dir/plus-in" | grep -vx Mine.ppe | head -1)
sed -i 's/^on=0\r$/on=1\r/' "$dir/plus-in/$shipped"
w reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v 'Norvale System Cleaner' /d "\"$win_dir\\cleaner.exe\" min" /f >/dev/null
w reg add 'HKCU\Software\VB and VBA Program Settings\ZoroviDOZozired\Settings' /v Top /d 10 /f >/dev/null
sums() { (cd "$dir" && md5sum prisd.dat cusd.dat keepurl.dat keepcook.dat Ext.txt plus-in/Mine.ppe); }
before_upgrade=$(sums)

# A running copy in the tray is closed by the upgrade.
NV_DISPLAY_OK=${DISPLAY:+1}
if [ -n "$NV_DISPLAY_OK" ]; then
  wine "$win_dir\\cleaner.exe" min >/dev/null 2>&1 </dev/null &
  running=$!
  sleep 6
fi
run_setup "$next" /S
check "silent upgrade exits 0" [ $? -eq 0 ]
if [ -n "$NV_DISPLAY_OK" ]; then
  for i in $(seq 100); do kill -0 "$running" 2>/dev/null || break; sleep 0.1; done
  check "the running copy was closed" bash -c "! kill -0 $running 2>/dev/null"
fi
check "upgraded to the next version" [ "$(installed_version)" = "$(cat "$NV_BUILD/next/version.txt")" ]
check "the new cleaner.exe is in place" cmp -s "$dir/cleaner.exe" "$NV_BUILD/next/bin/cleaner.exe"
check "profile, lists, Ext.txt and own plug-in kept" [ "$(sums)" = "$before_upgrade" ]
check "the shipped plug-in replaced, its tick kept" grep -qa '^on=1' "$dir/plus-in/$shipped"
w "$win_dir\\cleaner.exe" /preview | tr -d '\r' > "$NV_WINE/preview.txt"
check "upgraded program runs the kept selection" grep -q $'^Start Menu Run History\tDone$' "$NV_WINE/preview.txt"

uninstall() {  # uninstall ARGS...: waits for the uninstaller's own copy to finish
  w "$win_dir\\uninstall.exe" /S "$@"
  local rc=$? i
  for i in $(seq 300); do [ -f "$dir/uninstall.exe" ] || break; sleep 0.1; done
  sleep 1
  return $rc
}
uninstall
check "silent uninstall exits 0" [ $? -eq 0 ]
check "the folder is gone" [ ! -e "$dir" ]
# The uninstaller's copy of itself in the temp folder goes at the next start, as on Windows.
w wineboot -r
snapshot after
check "nothing left in the file system" diff "$NV_WINE/before.files" "$NV_WINE/after.files"
check "nothing left in the registry" diff "$NV_WINE/before.reg" "$NV_WINE/after.reg"

# /KEEPDATA keeps the user's files (and only them).
run_setup "$setup" /S /DESKTOP /STARTWITHWINDOWS
check "install with /DESKTOP" [ -f "$c/users/$user/Desktop/Norvale System Cleaner.lnk" ]
check "install with /STARTWITHWINDOWS writes the Run value" bash -c "wine reg query 'HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run' /v 'Norvale System Cleaner' </dev/null 2>/dev/null | grep -qF '\" min'"
printf '[Options]\r\nautoclean=0\r\n' > "$dir/prisd.dat"
uninstall /KEEPDATA
check "uninstall /KEEPDATA keeps prisd.dat" [ -f "$dir/prisd.dat" ]
check "uninstall /KEEPDATA removes the program" [ ! -e "$dir/cleaner.exe" -a ! -e "$dir/help.chm" ]
check "uninstall removed the desktop shortcut" [ ! -e "$c/users/$user/Desktop/Norvale System Cleaner.lnk" ]
rm -rf "$dir"

# The portable zip: unpacked anywhere, it writes only inside its folder.
w wineboot -r
snapshot zip-before
mkdir -p "$c/portable"
(cd "$c/portable" && unzip -q "$zip")
w 'C:\portable\Norvale System Cleaner\cleaner.exe' /preview > "$NV_WINE/preview.txt"
check "portable /preview exits 0" [ $? -eq 0 ]
check "portable preview end message" grep -q '^Preview: Cleaned Registry Keys:' "$NV_WINE/preview.txt"
w wineboot -r
snapshot zip-after
grep -v ' drive_c/portable' "$NV_WINE/zip-after.files" > "$NV_WINE/zip-after.outside"
check "portable: nothing written outside its folder" diff "$NV_WINE/zip-before.files" "$NV_WINE/zip-after.outside"
check "portable: nothing written to the registry" diff "$NV_WINE/zip-before.reg" "$NV_WINE/zip-after.reg"
exit $fail
