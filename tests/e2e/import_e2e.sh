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

rm -rf "$c/nvtest-import"
exit $fail
