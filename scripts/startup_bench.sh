#!/usr/bin/env bash
# Start-up time of the program under Wine: Project1.exe against a bare window program of ours of
# the same size, started alternately N times each (default 15), medians and their ratio; then the
# instrumented copy Project1_timed.exe, which reports how long its file storage takes from reading
# the stored data to the installer written on disk, against one WriteFile of the same bytes.
#
#   [AC_BENCH_EXTRA="other/Project1.exe ..."] scripts/startup_bench.sh [N] [BUILD]
#
# BUILD is win64 by default (the same tree as 64-bit programs, under the native 64-bit Wine): the
# 32-bit build runs here only under an emulator, whose times say nothing of a Windows machine's.
# The host preset must have been built (the Windows build uses its tools).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
runs=${1:-15}
. scripts/wine-env.sh
build=${2:-win64}
echo "== start-up bench on the $build build, $runs runs each"

cmake --preset "$build" >/dev/null
cmake --build --preset "$build" --target Project1 Project1_timed startup_bench startup_bare_window
bin=$root/build/$build/bin

trap wine_env_stop EXIT
display_start
wine_use "$build"
wine_prefix_init "$root/build/$build/wineprefix"
wineserver -p
"$AC_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true

# Windows paths of the programs, through Wine's Z: drive.
winpath() { echo "Z:${1//\//\\}"; }
# Further programs (e.g. an earlier build of Project1.exe, for a before/after comparison in the
# same run) come from AC_BENCH_EXTRA, space-separated Unix paths.
extra=()
for program in ${AC_BENCH_EXTRA:-}; do extra+=("$(winpath "$program")"); done
"$AC_WINE" "$bin/startup_bench.exe" "$runs" "$(winpath "$bin/startup_bare_window.exe")" \
  "$(winpath "$bin/Project1.exe")" "${extra[@]}"

temp_unix=$("$AC_WINE" winepath -u "$("$AC_WINE" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" \
  2>/dev/null)
rm -f "$temp_unix/extraction_timing.txt"
echo "== instrumented copy: the storage's reading and extraction against one WriteFile"
"$AC_WINE" "$bin/startup_bench.exe" 5 "$(winpath "$bin/startup_bare_window.exe")" \
  "$(winpath "$bin/Project1_timed.exe")" >/dev/null
cat "$temp_unix/extraction_timing.txt"
