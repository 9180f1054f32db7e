#!/usr/bin/env bash
# End to end under Wine: cleaner.exe /import-winapp2 makes plug-ins of a
# Winapp2 file, and once one is ticked /preview and /clean do what its keys
# name behind its exclusions; a file that is no Winapp2 file is refused
# with nothing written. Run by ctest inside tools/test.
#   import_e2e.sh BIN_DIR
set -u
bin=$1
. "$(dirname "$0")/sandbox-guard.sh"

c=$WINEPREFIX/drive_c
app=$c/nvtest-import/app
d=$c/nvtest-import/data
rm -rf "$c/nvtest-import"
mkdir -p "$app" "$d/App/Cache/sub" "$d/App/Logs"
cp "$bin/cleaner.exe" "$app/"
exe='C:\nvtest-import\app\cleaner.exe'
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
run() { wine "$exe" "$@" >"$out" 2>"$err" </dev/null; local rc=$?; tr -d '\r' <"$out" >"$out.t"; mv "$out.t" "$out"; return $rc; }

head -c 100 /dev/zero > "$d/App/Cache/a.bin"
head -c 200 /dev/zero > "$d/App/Cache/sub/b.bin"
head -c 300 /dev/zero > "$d/App/Logs/x.log"
head -c 400 /dev/zero > "$d/App/Logs/keep.log"
printf '; Version: 7\r\n; # of entries: 2\r\n[Demo App *]\r\nDetectFile=C:\\nvtest-import\\data\\App\r\n' > "$d/w.ini"
printf 'FileKey1=C:\\nvtest-import\\data\\App\\Cache|*.*|REMOVESELF\r\nFileKey2=C:\\nvtest-import\\data\\App\\Logs|*.log\r\n' >> "$d/w.ini"
printf 'ExcludeKey1=FILE|C:\\nvtest-import\\data\\App\\Logs\\|keep.log\r\n[Other *]\r\nDetectFile=C:\\nowhere\r\nFileKey1=C:\\nowhere|*.*\r\n' >> "$d/w.ini"

run /import-winapp2 'C:\nvtest-import\data\w.ini'
check "import exits 0" [ $? -eq 0 ]
check "import summary" grep -qxF 'Imported 1 of 2 entries (1 not on this machine, 0 skipped)' "$out"
plugin="$app/plus-in/Winapp2 - Demo App.ppe"
check "the plug-in is written, off" grep -qa '^on=0' "$plugin"
check "its source is named" grep -qa '^entry=Demo App \*' "$plugin"
sed -i 's/^on=0/on=1/' "$plugin"

run /preview
check "preview exits 0" [ $? -eq 0 ]
check "preview lists a cache file" grep -qF $'file\tC:\\nvtest-import\\data\\App\\Cache\\sub\\b.bin\t200' "$out"
check "preview lists the emptied folder" grep -qF $'folder\tC:\\nvtest-import\\data\\App\\Cache\t0' "$out"
check "preview leaves the excluded log out" bash -c "! grep -qF keep.log '$out'"
check "preview row" grep -qxF $'Demo App\tDone' "$out"
check "preview totals" grep -qxF 'Preview: Cleaned Registry Keys: 1 Released HD Space:0.05MB' "$out"
check "preview kept the files" [ -f "$d/App/Cache/a.bin" ]

run /clean
check "clean exits 0" [ $? -eq 0 ]
check "clean end message" grep -qxF 'Task complete Successfully! Cleaned Registry Keys: 1 Released HD Space:0.05MB' "$out"
check "clean removed the cache folder" [ ! -e "$d/App/Cache" ]
check "clean removed the log" [ ! -e "$d/App/Logs/x.log" ]
check "clean kept the excluded log" [ -f "$d/App/Logs/keep.log" ]

before=$(cat "$plugin" | md5sum)
head -c 64 /dev/urandom > "$d/bin.ini"
printf '\0\0' >> "$d/bin.ini"
run /import-winapp2 'C:\nvtest-import\data\bin.ini'
check "a binary file exits 1" [ $? -eq 1 ]
check "it says why" grep -qF 'is not a Winapp2 file' "$err"
check "nothing was written" [ "$(cat "$plugin" | md5sum)" = "$before" ]

# Forms of the format Windows and other readers take: %SystemDrive% is a
# drive ("C:" + "\X"), in DetectFile and in a plug-in's FILE detect line; a
# pattern ending in a dot names a name without an extension; an exclusion
# may hold folder and file in one field; DET_WINDOWS holds everywhere.
sd=$c/nvtest-import/sd
mkdir -p "$sd/win"
for f in index index.html datam data.bin datax; do head -c 10 /dev/zero > "$sd/$f"; done
head -c 10 /dev/zero > "$sd/win/a.tmp"
head -c 10 /dev/zero > "$c/nvtest-rootfile.log"
printf '; Version: 8\r\n; # of entries: 3\r\n[Drive Root *]\r\nDetectFile=%%SystemDrive%%\\nvtest-import\\sd\r\n' > "$d/forms.ini"
printf 'FileKey1=%%SystemDrive%%\\nvtest-import\\sd|index.;data*.\r\nFileKey2=%%SystemDrive%%|nvtest-rootfile.log\r\nExcludeKey1=FILE|%%SystemDrive%%\\nvtest-import\\sd\\datax\r\n' >> "$d/forms.ini"
printf '[Every Windows *]\r\nSpecialDetect=DET_WINDOWS\r\nDetect=HKCU\\Software\\NvNoSuchVendor\r\nFileKey1=C:\\nvtest-import\\sd\\win|*.tmp\r\n' >> "$d/forms.ini"
printf '[Not Here *]\r\nDetectFile=%%SystemDrive%%\\nvtest-import\\absent\r\nFileKey1=C:\\nvtest-import\\absent|*.*\r\n' >> "$d/forms.ini"
run /import-winapp2 'C:\nvtest-import\data\forms.ini'
check "forms: import summary" grep -qxF 'Imported 2 of 3 entries (1 not on this machine, 0 skipped)' "$out"
check "forms: the one-field exclusion is written as folder and file" \
  grep -qaxF $'1=FILE|%SystemDrive%\\nvtest-import\\sd\\|datax\r' "$app/plus-in/Winapp2 - Drive Root.ppe"
sed -i 's/^on=0/on=1/' "$app/plus-in/Winapp2 - Drive Root.ppe" "$app/plus-in/Winapp2 - Every Windows.ppe"
printf '[name]\r\nappname=Drive detect\r\n[swich]\r\non=1\r\n[detect]\r\n1=FILE|%%SystemDrive%%\\nvtest-import\\sd\\win\r\n[filekey]\r\n1=%%SystemDrive%%\\nvtest-import\\sd\\win|*.tmp\r\n' > "$app/plus-in/drive.ppe"
run /preview
check "forms: the drive detect line holds" grep -qxF $'Drive detect\tDone' "$out"
check "forms: preview lists the file without extension" grep -qF $'file\tC:\\nvtest-import\\sd\\index\t10' "$out"
check "forms: a file in the drive root is shown with one separator" grep -qxF $'file\tC:\\nvtest-rootfile.log\t10' "$out"
run /clean
check "forms: index. and data*. removed index and datam" [ ! -e "$sd/index" -a ! -e "$sd/datam" ]
check "forms: names with an extension stay" [ -f "$sd/index.html" -a -f "$sd/data.bin" ]
check "forms: the one-field exclusion keeps datax" [ -f "$sd/datax" ]
check "forms: DET_WINDOWS held" [ ! -e "$sd/win/a.tmp" ]
check "forms: the drive-root file named particularly is removed" [ ! -e "$c/nvtest-rootfile.log" ]
rm -f "$app/plus-in/"*.ppe

# A cleaning line the path rule refuses or that cannot be read is dropped
# alone and named; the entry's other lines are imported. An entry left with
# nothing to clean is skipped whole. A row whose lines were refused at run
# time counts those lines, not their targets.
dr=$c/nvtest-import/drop D='C:\nvtest-import\drop'
mkdir -p "$dr/sub" "$c/windows/nvtest-drop"
for f in a.tmp b.log sub/keep.tmp; do head -c 10 /dev/zero > "$dr/$f"; done
head -c 10 /dev/zero > "$c/windows/nvtest-drop/decoy.log"
printf '; # of entries: 2\r\n[Drop Lines *]\r\nDetectFile=%s\r\nFileKey1=%s|*.tmp\r\n' "$D" "$D" > "$d/drop.ini"
printf 'FileKey2=%%WinDir%%\\*|*.*|RECURSE\r\nFileKey3=%s\\sub\r\n[Only Bad *]\r\nDetectFile=%s\r\nFileKey1=%%WinDir%%|*.*\r\n' "$D" "$D" >> "$d/drop.ini"
run /import-winapp2 'C:\nvtest-import\data\drop.ini'
check "drop: summary" grep -qxF 'Imported 1 of 2 entries (0 not on this machine, 1 skipped, 2 lines dropped: reasons on standard error)' "$out"
check "drop: stderr names FileKey2" grep -qF 'dropped Drop Lines * FileKey2: refused: ' "$err"
check "drop: stderr names FileKey3" grep -qF 'dropped Drop Lines * FileKey3: ' "$err"
check "drop: an entry with no line left is skipped" grep -qF 'skipped Only Bad *: nothing left to clean: FileKey1: refused: ' "$err"
dp="$app/plus-in/Winapp2 - Drop Lines.ppe"
check "drop: [source] names both lines" [ "$(grep -ac '^dropped[12]=FileKey[23]: ' "$dp")" = 2 ]
check "drop: only the good line is written" [ "$(sed -n '/^\[filekey\]/,$p' "$dp" | tr -d '\r')" = "[filekey]"$'\n'"1=$D|*.tmp" ]
sed -i 's/^on=0/on=1/' "$dp"
printf '[name]\r\nappname=Refusals\r\n[swich]\r\non=1\r\n[regkey]\r\n1=HKLM\\SOFTWARE\r\n[filekey]\r\n1=%%ProgramFiles%%|*.*\r\n2=%%WinDir%%|*.*\r\n3=%s|*.log\r\n' "$D" > "$app/plus-in/refusals.ppe"
for mode in preview clean; do
  run /$mode
  check "drop: $mode row of the imported entry" grep -qxF $'Drop Lines\tDone' "$out"
  check "drop: $mode row counts refused lines" grep -qxF $'Refusals\tDone, 3 lines refused' "$out"
  # Lines, not targets: %ProgramFiles% is two folders here.
  [ $mode = preview ] && check "drop: four refused targets" [ "$(grep -c $'^refused\t' "$out")" = 4 ]
done
check "drop: only the good lines acted" [ ! -e "$dr/a.tmp" -a ! -e "$dr/b.log" -a -f "$dr/sub/keep.tmp" -a -f "$c/windows/nvtest-drop/decoy.log" ]
rm -rf "$c/windows/nvtest-drop" "$app/plus-in/"*.ppe

# Preview equals clean: every file, folder, key and value a clean removes is
# a line of its preview, or lies below a folder or key tree line of it; and
# every file, key and value the preview lists goes. One plug-in holds every
# action kind, run without and with exclusions that keep part of each.
p=$c/nvtest-import/peq P='C:\nvtest-import\peq' K='HKCU\Software\NvPeq'
H='HKEY_CURRENT_USER\Software\NvPeq'
reg_add() { wine reg add "$@" /f >/dev/null 2>&1 </dev/null; }
plant() {
  rm -rf "$p"; mkdir -p "$p/fold/sub" "$p/fk/deep/er" "$p/rs/a" "$p/rs/c" "$p/one" "$p/fext"
  for f in fold/a.txt fold/keep.txt fold/sub/b.txt fk/x.log fk/keep.log fk/deep/z.tmp fk/deep/er/y.tmp \
           rs/b.bin rs/a/k.bin rs/c/d.bin one/doc.txt one/other.txt fext/a.log fext/b.txt; do
    head -c 10 /dev/zero > "$p/$f"
  done
  wine reg delete "$K" /f >/dev/null 2>&1 </dev/null
  reg_add "$K\\Tree" /v keep /d x; reg_add "$K\\Tree" /v other /d x
  reg_add "$K\\Tree\\sub" /v v /d x; reg_add "$K\\Tree\\sub\\deeper" /v v /d x
  reg_add "$K\\OldTree\\Held" /v v /d x; reg_add "$K\\OldTree\\Gone" /v v /d x; reg_add "$K\\OldTree" /v w /d x
  reg_add "$K\\Vals" /v old /d x; reg_add "$K\\Vals" /v new /d x; reg_add "$K\\Vals" /v stays /d x
}
# Every file and folder below the plant, every key and KEY\value below the
# test key, one a line, in the preview's spelling.
state() {
  find "$p" -mindepth 1 | sed "s|^$c|C:|; s|/|\\\\|g"
  wine reg query "$K" /s 2>/dev/null </dev/null | tr -d '\r' | awk '
    /^HKEY_/ { key = $0; print key; next }
    /^    / { sub(/^    /, ""); split($0, f, "    "); if (f[1] != "(Default)") print key "\\" f[1] }'
}
for variant in plain excluded; do
  plant
  {
    printf '[name]\r\nappname=Peq\r\n[swich]\r\non=1\r\n'
    [ $variant = excluded ] && printf '[exclude]\r\n1=REG|%s\\Tree|keep\r\n2=REG|%s\\OldTree\\Held\r\n3=FILE|%s\\fold\\|keep.txt\r\n4=PATH|%s\\rs\\a\\\r\n5=FILE|%s\\fk\\|keep.log\r\n6=REG|%s\\Vals|new\r\n' "$K" "$K" "$P" "$P" "$P" "$K"
    printf '[regtree]\r\n1=-2147483647,Software\\NvPeq\\OldTree\r\n[reg]\r\n1=-2147483647,Software\\NvPeq\\Vals,old\r\n'
    printf '[folder]\r\n1=%s\\fold,\r\n[file]\r\n1=%s\\one,,doc.txt\r\n[fileext]\r\n1=%s\\fext,,log\r\n' "$P" "$P" "$P"
    printf '[regkey]\r\n1=%s\\Tree\r\n2=%s\\Vals|new\r\n' "$K" "$K"
    printf '[filekey]\r\n1=%s\\fk|*.log\r\n2=%s\\fk\\deep|*.tmp|RECURSE\r\n3=%s\\rs|*|REMOVESELF\r\n' "$P" "$P" "$P"
  } > "$app/plus-in/peq.ppe"
  before=$(state | sort)
  run /preview
  preview=$(grep -aP '^(file|folder|key|keytree|value)\t' "$out" | cut -f1,2)
  run /clean
  after=$(state | sort)
  removed=$(comm -23 <(echo "$before") <(echo "$after"))
  check "$variant: the clean removed something" [ -n "$removed" ]
  uncovered=$(echo "$removed" | listed="$preview" awk -F'\t' '
    BEGIN { n = split(ENVIRON["listed"], l, "\n"); for (i = 1; i <= n; i++) { split(l[i], f, "\t"); kind[i] = f[1]; path[i] = f[2] } }
    NF { ok = 0
         for (i = 1; i <= n && !ok; i++)
           ok = $0 == path[i] || ((kind[i] == "folder" || kind[i] == "keytree") && index($0, path[i] "\\") == 1)
         if (!ok) print }')
  check "$variant: everything the clean removed is in the preview${uncovered:+ (missing: $(echo $uncovered))}" [ -z "$uncovered" ]
  stayed=$(echo "$preview" | awk -F'\t' '$1 != "folder" { print $2 }' | grep -xF -f <(echo "$after") || true)
  check "$variant: everything the preview lists as file, key or value went${stayed:+ (stayed: $(echo $stayed))}" [ -z "$stayed" ]
done
check "excluded: the kept value of the tree stays" grep -qxF "$H\\Tree\\keep" <(echo "$after")
check "excluded: the kept key of the old tree stays" grep -qxF "$H\\OldTree\\Held\\v" <(echo "$after")
check "excluded: the kept files stay" [ -f "$p/fold/keep.txt" -a -f "$p/fk/keep.log" -a -f "$p/rs/a/k.bin" ]
check "excluded: the rest of the tree went" [ -z "$(grep -F "$H\\Tree\\sub" <<<"$after")" ]
wine reg delete "$K" /f >/dev/null 2>&1 </dev/null

rm -rf "$c/nvtest-import"
exit $fail
