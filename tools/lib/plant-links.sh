#!/usr/bin/env bash
# Plants Unix symbolic links inside a sandboxed prefix's drive C, for the
# tests that check the erase primitives never delete through a link. Wine
# cannot create links itself. Every link and its target stay inside
# drive_c/nvlinks. Usage: plant-links.sh PREFIX
set -eu
root=$1/drive_c/nvlinks
rm -rf "$root"
for case in fileintree allfilesintree extintree folderintree emptyfolder allfiles \
            fileinfolder extinfolder foldersize preview atreboot inisection toplink searchfind searchfile searchbin \
            custom trailing thumbs cookies filekey shredder; do
  c=$root/$case
  mkdir -p "$c/target/dir/cache" "$c/target/empty" "$c/tree/sub"
  head -c 1000 /dev/zero > "$c/target/keep.txt"
  head -c 2000 /dev/zero > "$c/target/dir/inner.txt"
  head -c 100 /dev/zero > "$c/target/dir/cache/c.txt"
  printf '[S]\r\nk=v\r\n' > "$c/target/config.ini"
  head -c 10 /dev/zero > "$c/tree/real.txt"
  head -c 20 /dev/zero > "$c/tree/sub/real.txt"
  ln -s ../target/keep.txt "$c/tree/keep.txt"
  ln -s ../target/keep.txt "$c/tree/flink.txt"
  ln -s ../target/config.ini "$c/tree/config.ini"
  ln -s ../target/dir "$c/tree/dlink"
  ln -s ../target/empty "$c/tree/elink"
  ln -s ../../target/dir "$c/tree/sub/cache"
  ln -s target/dir "$c/toplink"
done
# Names ending in a dot or a blank (Wine resolves them without the ending),
# beside links with such names, one of them to a sibling of the same short
# form (twin. -> twin).
c=$root/trailing
mkdir -p "$c/tree/d. "
printf '0123456789' > "$c/tree/trail."
head -c 20 /dev/zero > "$c/tree/trail "
head -c 30 /dev/zero > "$c/tree/d. /inner."
head -c 5 /dev/zero > "$c/tree/twin"
ln -s twin "$c/tree/twin."
ln -s ../target/keep.txt "$c/tree/link."
ln -s ../target/dir "$c/tree/dl. "
# A profile for the Thumbs.db item: caches in any letter case, a file link
# named Thumbs.db and a folder link whose target holds one.
c=$root/thumbs
mkdir -p "$c/tree/Links" "$c/tree/Contacts" "$c/target/photos"
head -c 100 /dev/zero > "$c/target/photos/Thumbs.db"
head -c 40 /dev/zero > "$c/tree/Thumbs.db"
head -c 60 /dev/zero > "$c/tree/sub/THUMBS.DB"
head -c 7 /dev/zero > "$c/tree/sub/Thumbs.db.txt"
ln -s ../../target/keep.txt "$c/tree/Links/Thumbs.db"
ln -s ../../target/photos "$c/tree/Contacts/photos"
# Secure deletion: files of letters (an overwrite shows as zeros), a file
# link and a folder link, a file with a second hard link outside the tree,
# names ending in a dot or a blank and a non-ANSI name.
c=$root/secure
mkdir -p "$c/tree/sub" "$c/target/dir"
fill() { head -c "$2" /dev/zero | tr '\0' "$3" > "$1"; }
fill "$c/target/keep.txt" 1000 K
fill "$c/target/dir/inner.txt" 2000 I
fill "$c/target/hard.txt" 3000 H
ln "$c/target/hard.txt" "$c/tree/hard.txt"
fill "$c/tree/real.txt" 5000 R
fill "$c/tree/sub/deep.txt" 6000 D
fill "$c/tree/trail." 10 T
fill "$c/tree/blank " 10 B
fill "$c/tree/$(printf '\xe6\x97\xa5\xe6\x9c\xac').txt" 10 J
ln -s ../target/keep.txt "$c/tree/keep.txt"
ln -s ../target/dir "$c/tree/dlink"
# A Chrome profile for the shipped plug-ins: a folder link that "Profile *"
# matches, a link in place of a cache folder, a file link among cache files.
c=$root/pack
ud="$c/Local/Google/Chrome/User Data"
mkdir -p "$ud/Default/Cache/Cache_Data" "$ud/Default/Sessions" "$c/target/dir/cache"
head -c 1000 /dev/zero > "$c/target/keep.txt"
head -c 2000 /dev/zero > "$c/target/dir/inner.txt"
head -c 300 /dev/zero > "$c/target/dir/History"
head -c 100 /dev/zero > "$c/target/dir/cache/c.txt"
head -c 10 /dev/zero > "$ud/Default/History"
head -c 10 /dev/zero > "$ud/Default/Cache/Cache_Data/data_0"
head -c 10 /dev/zero > "$ud/Default/Sessions/Session_1"
ln -s ../../../../../../../target/keep.txt "$ud/Default/Cache/Cache_Data/f_000001"
ln -s ../../../../target/dir "$ud/Profile 3"
ln -s ../../../../../target/dir "$ud/Default/Code Cache"
# A plug-in folder holding links named like earlier imports: one that the
# next import writes again, one that it would remove.
c=$root/imports
mkdir -p "$c/plus-in" "$c/target"
printf '[name]\r\nappname=Demo\r\n[source]\r\nformat=Winapp2\r\nentry=Demo *\r\n' > "$c/target/demo.ppe"
printf '[name]\r\nappname=Gone\r\n[source]\r\nformat=Winapp2\r\nentry=Gone *\r\n' > "$c/target/gone.ppe"
ln -s ../target/demo.ppe "$c/plus-in/Winapp2 - Demo.ppe"
ln -s ../target/gone.ppe "$c/plus-in/Winapp2 - Gone.ppe"
# A plug-in that is a link: ticking it must not write into its target.
c=$root/pluginlink
mkdir -p "$c/plus-in" "$c/target"
printf '[name]\r\nappname=Linked\r\n[swich]\r\non=0\r\n' > "$c/target/x.ppe"
ln -s ../target/x.ppe "$c/plus-in/x.ppe"
