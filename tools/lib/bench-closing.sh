#!/usr/bin/env bash
# The watcher's idle cost (tools/bench --closing): the tray program for N
# seconds with Firefox, Chrome and Opera ticked under "When a browser
# closes" and a dummy process of each open (it waits on their handles
# alone), the same with Safari ticked too but not running (a look at the
# process list every 2 s), against the tray program for N seconds with
# nothing ticked. Both in a sandboxed prefix of their own
# (build/wine/bench-prefix); the processor time is that of the program's
# own process (user + system, from /proc), counted after a 10 s start; the
# prefix's wineserver, which answers the process-list looks, is shown too.
#
#   tools/bench --closing [--seconds N] [--rounds N]   (default 60 s, 1 round)
# Goal: the watching run's share of one processor under 0.1 %.
set -eu
. "$(dirname "$0")/common.sh"

seconds=60 rounds=1
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    *) nv_log "unknown option $1"; exit 2 ;;
  esac
done

nv_install
nv_build --target cleaner --target dummyapp >/dev/null
prefix=$NV_WINE/bench-prefix
nv_prefix "$prefix" >/dev/null
nv_xvfb 1024x768x24
root=$prefix/drive_c/nvbench/closing R='C:\nvbench\closing'
log=$(mktemp)
trap 'rm -f "$root"/flags/* "$log"; sleep 1; nv_stop_wine; nv_stop_xvfb' EXIT
rm -rf "$root"
mkdir -p "$root/app" "$root/bin" "$root/flags"
cp "$NV_BUILD/bin/cleaner.exe" "$root/app/"
for b in firefox chrome opera; do cp "$NV_BUILD/testbin/dummyapp.exe" "$root/bin/$b.exe"; done
tck=$(getconf CLK_TCK)

# A process's processor time so far, in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# measure KIND TICKS DUMMIES...: one run of the tray program with those
# WhenClosed lines and those dummy browsers open.
measure() {
  local kind=$1 ticks=$2 i pid t0 t1 s0 s1 b
  shift 2
  printf '[FIREFOX]\r\nCookies=1\r\n[WhenClosed]\r\n%s' "$ticks" >"$root/app/prisd.dat"
  for b in "$@"; do
    wine "$R\\bin\\$b.exe" "$R\\flags\\$b" </dev/null >/dev/null 2>&1 &
  done
  for i in $(seq 100); do [ "$(ls "$root/flags" | wc -l)" -ge $# ] && break; sleep 0.1; done
  wine "$R\\app\\cleaner.exe" min </dev/null >/dev/null 2>&1 &
  pid=$!
  sleep 10
  # $! must be the program itself, not a launcher that waits for it.
  tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q 'cleaner\.exe' || { nv_log "pid $pid is not cleaner.exe"; exit 1; }
  t0=$(ticks $pid) s0=$(nv_server_cpu "$prefix")
  sleep "$seconds"
  t1=$(ticks $pid) s1=$(nv_server_cpu "$prefix")
  kill $pid 2>/dev/null || true
  rm -f "$root"/flags/*
  wait $pid 2>/dev/null || true
  sleep 2
  awk -v k="$kind" -v t=$((t1 - t0)) -v st="$t0" -v s0="$s0" -v s1="$s1" -v hz="$tck" -v s="$seconds" \
    'BEGIN { printf "%s seconds=%d cpu=%.3f share=%.4f start=%.2f server=%.3f\n", k, s, t / hz, 100 * t / hz / s, st / hz, s1 - s0 }' |
    tee -a "$log" >&2
}

for r in $(seq "$rounds"); do
  nv_log "Round $r: $seconds s each: three browsers watched, a fourth ticked but closed, nothing ticked"
  three=$'Firefox=1\r\nChrome=1\r\nOpera=1\r\n'
  measure watching "$three" firefox chrome opera
  measure looking "$three"$'Safari=1\r\n' firefox chrome opera
  measure idle ''
done
line() {  # KIND LABEL
  local c w
  c=$(nv_log_median "$log" "$1" cpu) w=$(nv_log_median "$log" "$1" server)
  awk -v c="$c" -v w="$w" -v s="$seconds" -v l="$2" \
    'BEGIN { printf "%s: %.3f s of processor time in %d s (%.4f %%); wineserver %.3f s\n", l, c, s, 100 * c / s, w }'
}
line watching "three browsers watched (goal < 0.1 %)     "
line looking "the same, a fourth ticked but not running "
line idle "idle, nothing ticked                      "
