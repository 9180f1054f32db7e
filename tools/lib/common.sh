# Shared by the tools/ scripts: paths, package installation, sandboxed Wine
# prefixes, Xvfb. Source it; it defines functions and a few variables only.

NV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
NV_BUILD=${NV_BUILD:-$NV_ROOT/build}
NV_WINE=$NV_BUILD/wine

nv_log() { printf '%s\n' "$*" >&2; }

nv_sudo() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian/Ubuntu packages the build and the tests need.
# nsis, zip and unzip: the packages and their test; python3: the test's version server.
NV_PACKAGES="cmake make mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64 wine xvfb xauth googletest nsis zip unzip python3"

nv_install() {
  local missing=() p
  for p in $NV_PACKAGES "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  nv_log "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  nv_sudo apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null 2>&1 || {
    nv_sudo apt-get update -qq >/dev/null 2>&1
    nv_sudo apt-get install -y --no-install-recommends "${missing[@]}" || return 1
  }
}

nv_build() {
  local type=${NV_BUILD_TYPE:-Release} launcher=()
  # ccache, when the machine has it, shares objects between checkouts
  # (paths below the checkout's parent are hashed relative to it).
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$NV_ROOT")}
  fi
  if [ ! -f "$NV_BUILD/CMakeCache.txt" ]; then
    cmake -S "$NV_ROOT" -B "$NV_BUILD" \
      -DCMAKE_TOOLCHAIN_FILE="$NV_ROOT/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE="$type" "${launcher[@]}" >/dev/null || return 1
  fi
  cmake --build "$NV_BUILD" -j"$(nproc)" "$@"
}

# Environment for every Wine process we start. HOME and XDG_DATA_HOME point
# into the sandbox too: Wine's Recycle Bin is the desktop trash under
# XDG_DATA_HOME, and new shell-folder links are made towards HOME.
nv_wine_env() {
  local prefix=$1 sandbox
  sandbox=$(dirname "$prefix")/$(basename "$prefix")-home
  mkdir -p "$sandbox/.local/share"
  if [ -z "${XAUTHORITY:-}" ] && [ -f "$HOME/.Xauthority" ]; then
    export XAUTHORITY="$HOME/.Xauthority"
  fi
  export WINEPREFIX=$prefix
  export HOME=$sandbox
  export XDG_DATA_HOME=$sandbox/.local/share
  export WINEDEBUG=${NV_WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
}

# A new prefix maps Z: to the whole Linux file system and links the profile's
# Desktop, Documents, ... into the Linux home; Wine deletes through links.
# Remove the drive mapping and replace every link under drive_c with a real,
# empty folder, so that nothing the program deletes can reach the host.
nv_sanitise_prefix() {
  local prefix=$1 link
  rm -f "$prefix/dosdevices/z:" "$prefix/dosdevices/z::"
  while IFS= read -r -d '' link; do
    rm -f "$link" && mkdir -p "$link"
  done < <(find "$prefix/drive_c/users" "$prefix/drive_c/ProgramData" -type l -print0 2>/dev/null)
}

# Creates (or refreshes) a sandboxed prefix and leaves a persistent
# wineserver running for it. $2 = "fresh" throws an old one away first.
nv_prefix() {
  local prefix=$1 mode=${2:-keep}
  nv_wine_env "$prefix"
  if [ "$mode" = fresh ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix" "$(dirname "$prefix")/$(basename "$prefix")-home"
    nv_wine_env "$prefix"
  fi
  mkdir -p "$(dirname "$prefix")"
  if [ ! -f "$prefix/system.reg" ]; then
    nv_log "Creating Wine prefix $prefix"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  nv_sanitise_prefix "$prefix"
  # Windows can be created even without an X display.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d 'x11,null' /f >/dev/null 2>&1
  # Wine's rundll32 crashes on the browser's own clearing command; its crash
  # dialog would wait for a click that never comes in a scripted run.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  if [ "${NV_VIRTUAL_DESKTOP:-}" = 1 ]; then
    # Every program in one virtual desktop: a tray area exists, and hiding
    # a window does not wait two seconds for a window manager that is not there.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  fi
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w
  nv_sanitise_prefix "$prefix"
  # A token that test executables compare with the marker file before they
  # do anything destructive: outside this prefix they refuse to run.
  local token
  token=$(od -An -N8 -tx1 /dev/urandom | tr -d ' \n')
  printf '%s\r\n' "$token" > "$prefix/drive_c/norvale-sandbox.txt"
  export NORVALE_SANDBOX_TOKEN=$token
  wineserver -p >/dev/null 2>&1 || true
  # Start the background processes now, detached from any caller's pipes.
  wine cmd /c exit >/dev/null 2>&1 </dev/null
}

nv_stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
}

NV_XVFB_PID=
nv_xvfb() {
  local size=${1:-1280x1024x24} n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "$size" -nolisten tcp >/dev/null 2>&1 &
    NV_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
      # Ours only if our server is still alive: two checkouts starting at
      # once may race for the same number, and the loser must move on.
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        sleep 0.2
        kill -0 "$NV_XVFB_PID" 2>/dev/null && return 0
        break
      fi
      sleep 0.1
    done
    kill "$NV_XVFB_PID" 2>/dev/null
  done
  nv_log "Could not start Xvfb"
  return 1
}

nv_stop_xvfb() {
  [ -n "$NV_XVFB_PID" ] && kill "$NV_XVFB_PID" 2>/dev/null
  NV_XVFB_PID=
}

# Copies the application folder build/bin into the prefix, so the program
# runs from an ordinary Windows path (the prefix has no drive for the Linux
# file system). Files the program wrote there itself (its profile and
# lists) are kept. Prints the Windows path of cleaner.exe.
NV_INSTALL_DIR='C:\Program Files\Norvale System Cleaner'
nv_install_app() {
  local prefix=$1 dest
  dest="$prefix/drive_c/Program Files/Norvale System Cleaner"
  mkdir -p "$dest"
  cp -r "$NV_BUILD/bin/." "$dest/"
  rm -f "$dest"/*_tests.exe
  printf '%s\\cleaner.exe\n' "$NV_INSTALL_DIR"
}

# Benchmarks: the median of the numbers on standard input (separated by
# blanks or lines), and the median of one field over the lines
# "KIND FIELD=value ..." of a benchmark's log.
nv_median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
nv_log_values() {  # LOG KIND FIELD: the values in the log's order
  grep "^$2 " "$1" | tr ' ' '\n' | grep "^$3=" | cut -d= -f2 | tr '\n' ' '
}
nv_log_median() { nv_log_values "$@" | nv_median; }  # LOG KIND FIELD
# nv_paired DIGITS LABEL "A1 A2 ..." "B1 B2 ...": one "LABEL: a s / b s
# ratio=R (rounds: R1 R2 ...)" line for measurements taken side by side (Ai
# beside Bi; a, b their medians). R is the median of the pairs' own ratios
# Ri = Ai/Bi: a shared machine's load drifts between the rounds far more than
# within one, so R moves much less than a ratio of medians. tools/bench
# --check pools the Ri of two runs.
#
# The fastest round of each side is printed too ("fastest: x / y"): load on a
# shared machine only ever slows a measurement, so the fastest is the one it
# disturbed least, and tools/bench --check judges on x / y.
nv_paired() {
  local rs
  rs=$(paste -d' ' <(tr ' ' '\n' <<< "$3" | grep -v '^$') <(tr ' ' '\n' <<< "$4" | grep -v '^$') |
         awk '$2 > 0 { printf "%.3f ", $1 / $2 }')
  awk -v d="$1" -v l="$2" -v a="$(nv_median <<< "$3")" -v b="$(nv_median <<< "$4")" -v r="$(nv_median <<< "$rs")" \
    -v x="$(nv_min <<< "$3")" -v y="$(nv_min <<< "$4")" -v rs="${rs% }" 'BEGIN {
      fmt = "%s: %." d "f s / %." d "f s ratio=%." d "f (fastest: %.3f / %.3f; rounds: %s)\n"
      printf fmt, l, a, b, r, x, y, rs }'
}
nv_min() { tr ' ' '\n' | grep -v '^$' | sort -g | head -1; }
# CPU seconds (user + system) the wineserver of prefix $1 has used so far: a
# delete is shared between the process and the server, and on a busy
# machine CPU time is the steadier measure of the work itself.
nv_server_cpu() {
  local p t=0 f
  for p in $(pgrep -f wineserver); do
    { tr '\0' '\n' < "/proc/$p/environ" | grep -qx "WINEPREFIX=$1" && read -r -a f < "/proc/$p/stat"; } 2>/dev/null ||
      continue
    t=$((t + f[13] + f[14]))
  done
  awk -v t="$t" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.3f", t / hz }'
}
# nv_compare LOG DIGITS LABEL OURS OTHER-LABEL OTHER [FIELD]: one
# "LABEL vs OTHER-LABEL: a s / b s ratio=a/b" line from the medians of FIELD
# (default seconds; cpu is called processor time) of two kinds of LOG.
nv_compare() {
  local f=${7:-seconds}
  awk -v d="$2" -v l="$3" -v o="$5" -v k="$f" \
    -v a="$(nv_log_median "$1" "$4" "$f")" -v b="$(nv_log_median "$1" "$6" "$f")" 'BEGIN {
      fmt = "%s vs %s%s: %." d "f s / %." d "f s ratio=%." d "f\n"
      printf fmt, l, o, (k == "cpu" ? " (processor time)" : ""), a, b, (b > 0 ? a / b : 0) }'
}
