#!/usr/bin/env bash
# Plants Unix symbolic links inside a sandboxed prefix's drive C, for the
# tests that check the erase primitives never delete through a link. Wine
# cannot create links itself. Every link and its target stay inside
# drive_c/nvlinks. Usage: plant-links.sh PREFIX
set -eu
root=$1/drive_c/nvlinks
rm -rf "$root"
for case in fileintree allfilesintree extintree folderintree emptyfolder allfiles \
            fileinfolder extinfolder foldersize preview atreboot inisection toplink cookies; do
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
