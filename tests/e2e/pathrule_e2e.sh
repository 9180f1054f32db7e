#!/usr/bin/env bash
# End to end under Wine: the path rule through cleaner.exe /preview and
# /clean. Hostile plug-ins, custom items and a Winapp2 import aim at
# protected folders (wildcards, known folders, odd spellings), a section too
# long for one read, NULs in paths, 8.3 short names around exclusions. After
# each phase the whole of drive C is listed again: only the intended
# targets may be gone. Run by ctest inside tools/test.
#   pathrule_e2e.sh BIN_DIR
set -u
bin=$1
. "$(dirname "$0")/sandbox-guard.sh"

c=$WINEPREFIX/drive_c
app=$c/nvtest-rule/app
plug=$app/plus-in
h=$c/hz
user_dir=$(ls -d "$c"/users/*/ | grep -v '/Public/$' | head -1); user_dir=${user_dir%/}
roam=$user_dir/AppData/Roaming
local=$user_dir/AppData/Local
out=$(mktemp) err=$(mktemp) snap=$(mktemp)
cleanup() {
  rm -rf "$c/nvtest-rule" "$h" "$roam/nvtest-rule" "$roam/Mozilla/Firefox/Profiles/nvtest.default" \
         "$local/Google/Chrome/User Data/NvTest"
  rm -f "$out" "$err" "$snap"* "$roam/precious.txt" "$local/precious.txt" "$user_dir/precious.txt"
}
trap cleanup EXIT
cleanup
# The folders a fresh profile has (another test may have moved them).
folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
wine reg add "$folders" /v AppData /d "C:\\users\\${user_dir##*/}\\AppData\\Roaming" /f >/dev/null 2>&1 </dev/null
wine reg add "$folders" /v 'Local AppData' /d "C:\\users\\${user_dir##*/}\\AppData\\Local" /f >/dev/null 2>&1 </dev/null
mkdir -p "$plug"
cp "$bin/cleaner.exe" "$app/"
printf '[Custom]\r\nCustom=1\r\n' > "$app/prisd.dat"
exe='C:\nvtest-rule\app\cleaner.exe'

run() { wine "$exe" "$@" >"$out" 2>"$err" </dev/null; local rc=$?; tr -d '\r' <"$out" >"$out.t"; mv "$out.t" "$out"; return $rc; }
# Everything on drive C with its size, but what Wine itself rewrites and
# the totals the clean saves.
# Wine's own processes come and go with temp files in the Windows folder.
listing() { (cd "$c" && find . -path ./windows/temp -prune -o -path ./nvtest-rule/app/prisd.dat -prune -o -path './users/*/Temp' -prune -o \
                          -path './users/*/AppData/Local/Temp' -prune -o \
                          -path './windows/*.tmp' -prune -o \
                          -type d -printf '%p D\n' -o -printf '%p %s\n' | sort); }
plugin() {  # plugin FILE SECTION LINES... : an enabled plug-in
  local f=$plug/$1 s=$2; shift 2
  { printf '[name]\r\nappname=%s\r\n[swich]\r\non=1\r\n[%s]\r\n' "${f##*/}" "$s"; local i=1
    for l in "$@"; do printf '%s=%s\r\n' "$i" "$l"; i=$((i + 1)); done; } > "$f"
}
# phase NAME EXPECTED_GONE...: /preview changes nothing, /clean removes
# exactly the listed paths (relative to drive C, with everything below them).
phase() {
  local name=$1; shift
  plant
  listing > "$snap"
  run /preview; local rc=$?
  check "$name: preview exits 0" [ $rc -eq 0 ]
  cp "$out" "$snap.preview"; [ -n "${NV_E2E_DEBUG:-}" ] && cp "$out" "$NV_E2E_DEBUG/$name.preview"
  listing > "$snap.after"
  check "$name: preview changed nothing" diff -q "$snap" "$snap.after"
  run /clean; rc=$?
  check "$name: clean exits 0" [ $rc -eq 0 ]
  listing > "$snap.after"
  # Lines gone or changed, against the lines of the intended targets.
  diff "$snap" "$snap.after" | grep '^[<>]' | sort > "$snap.diff"
  for p in "$@"; do
    awk -v p="$p" '{ path = $0; sub(/ ([0-9]+|D)$/, "", path) } path == p || index(path, p "/") == 1 { print "< " $0 }' "$snap"
  done | sort > "$snap.want"
  check "$name: only the intended targets went" diff "$snap.diff" "$snap.want"
}
refused() { grep -qF "refused"$'\t'"$1" "$snap.preview"; }

# Decoys everywhere the hostile lines aim, targets where the sound ones do;
# planted again before every phase.
plant() {
  mkdir -p "$h/App/P1/Cache" "$h/keep/sub" "$h/LongFolderName/keep" "$h/OtherLongName/keep" \
           "$roam/Mozilla/Firefox/Profiles/nvtest.default/cache2" "$roam/nvtest-rule/sub" \
           "$local/Google/Chrome/User Data/NvTest/Cache"
  for f in "$h/App/P1/keep.txt" "$h/keep/a.txt" "$h/keep/sub/x.txt" "$h/LongFolderName/keep/precious.txt" \
           "$h/OtherLongName/keep/precious.txt" "$roam/precious.txt" "$local/precious.txt" "$user_dir/precious.txt" \
           "$roam/nvtest-rule/sub/deep.txt" "$app/plus-in/keep.txt"; do
    head -c 10 /dev/zero > "$f"
  done
  for f in "$h/App/P1/Cache/c1.bin" "$h/LongFolderName/junk.tmp" "$h/OtherLongName/junk.tmp" \
           "$roam/Mozilla/Firefox/Profiles/nvtest.default/cache2/e.bin" \
           "$local/Google/Chrome/User Data/NvTest/Cache/f.bin"; do
    head -c 100 /dev/zero > "$f"
  done
}
rel() { echo "./${1#$c/}"; }
win() { local r=${1#$c/}; echo "C:\\${r//\//\\}"; }

# A: known folders by the old and the new sections.
plugin known.ppe folder 'appdata,\' 'localappdata,\' 'appdata,\..\Roaming\.'
printf '[filekey]\r\n1=%%AppData%%|*.*|RECURSE\r\n2=%%UserProfile%%|*.*|REMOVESELF\r\n3=%%LocalAppData%%\\|*.*\r\n' >> "$plug/known.ppe"
phase "known folders"
check "known folders: appdata refused in the preview" refused "$(win "$roam")"
rm "$plug/known.ppe"

# B: a [folder] section longer than one profile read (32,767 characters);
# the cut of a single read would end in "k00964=appdata,\".
python3 - "$plug/long.ppe" <<'EOF'
import sys
lines = ["[name]", "appname=long", "[swich]", "on=1", "[folder]", "pad=xx"]
lines += ["k%05d=appdata,\\nvtest-long\\%05d" % (i, i) for i in range(1, 1101)]
open(sys.argv[1], "w", newline="").write("\r\n".join(lines) + "\r\n")
EOF
phase "long section"
check "long section: the plug-in ran whole" grep -qxF $'long\tDone' "$snap.preview"
rm "$plug/long.ppe"

# C: NULs. cusd.dat (ANSI) names a.txt<NUL>.bak and keep<NUL>\zz; a UTF-16
# plug-in names keep,\<NUL>zz.
printf 'C:\\hz\\keep\\a.txt\0.bak\tFile\r\nC:\\hz\\keep\0\\zz\tFolder\r\n' > "$app/cusd.dat"
python3 - "$plug/zero.ppe" <<'EOF'
import sys
text = "[name]\r\nappname=zero\r\n[swich]\r\non=1\r\n[folder]\r\n1=C:\\hz\\keep,\\\0zz\r\n"
open(sys.argv[1], "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))
EOF
phase "NUL in paths"
check "NUL: the cusd.dat lines are refused as malformed" grep -qF $'refused\tC:\\hz\\keep\\a.txt<NUL>.bak' "$snap.preview"
check "NUL: the UTF-16 plug-in fails with a reason" grep -qE $'^zero\tFail, .*NUL' "$snap.preview"
rm -f "$app/cusd.dat" "$plug/zero.ppe"

# D: exclusions in 8.3 short names guard the long names, and the reverse.
plant
short() {  # short FOLDER NAME: FOLDER\8.3 name of NAME in it
  echo "$1\\$(wine cmd /c "dir /x $1\\" 2>/dev/null </dev/null | tr -d '\r' |
                awk -v n="$2" '{ i = index($0, n) } i && substr($0, i) == n { k = split(substr($0, 1, i - 1), f, " "); print f[k] }')"
}
s1=$(short 'C:\hz' LongFolderName); s2=$(short 'C:\hz' OtherLongName)
check "short names exist ($s1, $s2)" bash -c "[[ '$s1' == *'~'* && '$s2' == *'~'* ]]"
plugin short1.ppe filekey 'C:\hz\LongFolderName|*.*|RECURSE'
printf '[exclude]\r\n1=PATH|%s\\keep\\|*.*\r\n' "$s1" >> "$plug/short1.ppe"
plugin short2.ppe filekey "$s2|*.*|RECURSE"
printf '[exclude]\r\n1=PATH|C:\\hz\\OtherLongName\\keep\\|*.*\r\n' >> "$plug/short2.ppe"
phase "short names" ./hz/LongFolderName/junk.tmp ./hz/OtherLongName/junk.tmp
rm "$plug"/short?.ppe

# E: wildcards and spellings. Only the three sound lines act.
plugin wild.ppe filekey 'C:\*|*.*|REMOVESELF' '%WinDir%\*|*.*|RECURSE' '%SystemDrive%\*\*|*.*' \
  '%UserProfile%\*|*.*|RECURSE' '%APPDATA%\*|*.*|REMOVESELF' 'c:/WINDOWS/system32/.|*.*|RECURSE' \
  "$(short 'C:' 'Program Files')|*.*|RECURSE" 'C:\users\*\AppData\Roaming|*.*|RECURSE' \
  'C:\nvtest-rule\app\*|*.*|REMOVESELF' 'C:\nvtest-rule\app\plus-in|*.*|REMOVESELF' '%WinDir%\system32|*.dll' \
  'C:\hz\App\*\Cache|*.*|REMOVESELF' '%LocalAppData%\Google\Chrome\User Data\*\Cache|*.*|RECURSE' \
  '%AppData%\Mozilla\Firefox\Profiles\*\cache2|*.*|REMOVESELF'
# The long and device forms, in the old section.
plugin spell.ppe folder '\\?\C:\windows\SYSTEM32\,' '\\.\C:\users\. ,'
phase "wildcards" ./hz/App/P1/Cache "$(rel "$local/Google/Chrome/User Data/NvTest/Cache/f.bin")" \
  "$(rel "$roam/Mozilla/Firefox/Profiles/nvtest.default/cache2")"
check "wildcards: C:\\* refused in the preview" refused 'C:\*'
check "wildcards: nothing refused is counted" grep -qxF 'Preview: Cleaned Registry Keys: 1 Released HD Space:0.05MB' "$snap.preview"
rm "$plug/wild.ppe" "$plug/spell.ppe"

# F: the import refuses the same lines.
printf '[Bad1 *]\r\nDetectFile=C:\\hz\r\nFileKey1=C:\\*|*.*|REMOVESELF\r\n[Bad2 *]\r\nDetectFile=C:\\hz\r\nFileKey1=%%WinDir%%\\*|*.*|RECURSE\r\n' > "$h/w.ini"
printf '[Bad3 *]\r\nDetectFile=C:\\hz\r\nFileKey1=%%SystemDrive%%\\*\\*|*.*\r\n[Bad4 *]\r\nDetectFile=C:\\hz\r\nFileKey1=%%APPDATA%%\\*|*.*|REMOVESELF\r\n' >> "$h/w.ini"
printf '[Good *]\r\nDetectFile=C:\\hz\r\nFileKey1=C:\\hz\\App\\*\\Cache|*.*|REMOVESELF\r\n' >> "$h/w.ini"
# A wildcard that names one program's folders by their start may stand below
# a protected folder (a real entry's form); two letters name nothing.
printf '[Named *]\r\nDetectFile=C:\\hz\r\nFileKey1=%%ProgramFiles%%\\WinSysClean *|*.log;RegBackup.reg\r\n' >> "$h/w.ini"
printf '[Short *]\r\nDetectFile=C:\\hz\r\nFileKey1=%%WinDir%%\\ab*|*.log\r\n' >> "$h/w.ini"
run /import-winapp2 'C:\hz\w.ini'
check "import: only the sound entries" grep -qxF 'Imported 2 of 7 entries (0 not on this machine, 5 skipped: reasons on standard error)' "$out"
check "import: the reason names the protected folder" grep -qF 'a wildcard for the folders of a protected folder' "$err"

exit $fail
