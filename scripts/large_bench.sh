#!/usr/bin/env bash
# Large installers, side by side in one run (not a test; figures go to the terminal):
#
#   scripts/large_bench.sh [RUNS] [BUILD] [SIZE...]
#
# For each installer size (bytes; default 1816102, 100 MB and 1000 MB) an installer is made here:
# the build's stand-in installer padded with random bytes, as real installers append their
# archive. Then:
# - `sfpack wrap` of the release build of the tools (preset tools-release) puts it into the build's
#   Project1.exe: its time and peak memory, against a plain `cp` of its result followed by a
#   `sync` of the copy (wrap flushes its output to the disk before the rename, so the copy does too);
# - the wrapped launcher runs under Wine RUNS times (default 3): the time from its start to its
#   progress window (when it shows one) and to its main window, against a plain copy (CopyFileA)
#   of the installer into TEMP (startup_bench.exe), and the launcher's peak memory beyond its
#   image: the largest anonymous resident memory of its process seen while it starts (RssAnon of
#   /proc, sampled every 20 ms; the mapped program file is not counted).
# BUILD is win64 by default: the 32-bit build runs here only under an emulator, whose times say
# nothing of a Windows machine's. The host preset must have been built (the Windows build uses
# its tools). The files (up to twice the largest size) go to build/large-bench and are removed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
runs=${1:-3}
build=${2:-win64}
shift $(($# < 2 ? $# : 2))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1816102 100000000 1000000000)
. scripts/wine-env.sh

cmake --preset tools-release >/dev/null
cmake --build --preset tools-release >/dev/null
cmake --preset "$build" >/dev/null
cmake --build --preset "$build" --target Project1 startup_bench startup_bare_window quillmoor_setup \
  >/dev/null
bin=$root/build/$build/bin
sfpack=$root/build/tools-release/bin/sfpack
work=$root/build/large-bench
rm -rf "$work"
mkdir -p "$work"
trap 'wine_env_stop; rm -rf "$work"' EXIT
display_start
wine_use "$build"
wine_prefix_init "$work/wineprefix"
wineserver -p
"$AC_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
winpath() { echo "Z:${1//\//\\}"; }

# seconds_of COMMAND...: runs it, prints its wall time in seconds.
seconds_of() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

# sample_anon NAME OUT: until killed, writes to OUT the largest RssAnon (kB) of any process whose
# program (the first word of its command line) ends in NAME.
sample_anon() {
  local peak=0 pid kb
  while :; do
    for pid in $(pgrep -f "^[^ ]*$1( |\$)" || true); do
      kb=$(awk '/^RssAnon:/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
      [ "${kb:-0}" -gt "$peak" ] && peak=$kb && echo "$peak" >"$2"
    done
    sleep 0.02
  done
}

printf '%-12s | %-28s | %-22s | %-38s | %s\n' installer "wrap: time, peak memory" "cp + sync of the result" \
  "launcher: progress, window (median)" "copy into TEMP; memory beyond image"
for size in "${sizes[@]}"; do
  installer=$work/setup-$size.exe
  cp "$bin/quillmoor_setup.exe" "$installer"
  pad=$((size - $(stat -c %s "$installer")))
  [ $pad -le 0 ] || head -c "$pad" /dev/urandom >>"$installer"
  launcher=$work/L$size.exe
  /usr/bin/time -f "%e %M" -o "$work/wrap.time" "$sfpack" wrap "$bin/Project1.exe" "$installer" \
    -o "$launcher" >/dev/null
  read -r wrap_s wrap_kb <"$work/wrap.time"
  # wrap puts its result on the disk (fsync) before it renames it over OUT; so does this copy.
  cp_s=$(seconds_of sh -c 'cp "$1" "$2" && sync "$2"' copy "$launcher" "$work/copy.exe")
  rm -f "$work/copy.exe"

  copy_out=$("$AC_WINE" "$bin/startup_bench.exe" copy "$runs" "$(winpath "$installer")" | tr -d '\r')
  copy_ms=$(sed -n 's/^median of .* copies: \([0-9.]*\) ms/\1/p' <<<"$copy_out")
  echo 0 >"$work/anon"
  sample_anon "L$size.exe" "$work/anon" &
  sampler=$!
  start_out=$("$AC_WINE" "$bin/startup_bench.exe" "$runs" "$(winpath "$bin/startup_bare_window.exe")" \
    "$(winpath "$launcher")" | tr -d '\r')
  kill $sampler
  wait $sampler 2>/dev/null || true
  window_ms=$(sed -n 's/^  .*: \([0-9.]*\) ms, ratio.*/\1/p' <<<"$start_out")
  progress=$({ grep -o 'progress at [0-9.]* ms' <<<"$start_out" || true; } | awk '{print $3}' | sort -n |
    awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)] " ms"; else print "none"}')
  printf '%-12s | %6.2f s, %6d MB (cp x%4.2f) | %6.2f s | %-38s | %8.1f ms (x%4.2f); %d MB\n' \
    "$size" "$wrap_s" $((wrap_kb / 1024)) "$(echo "$wrap_s / $cp_s" | bc -l)" "$cp_s" \
    "$progress, $window_ms ms" "$copy_ms" "$(echo "$window_ms / $copy_ms" | bc -l)" \
    $(($(cat "$work/anon") / 1024))
  rm -f "$installer" "$launcher"
done
