#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine. Without a screen it runs
# on a virtual display and saves a screenshot to build/run-screenshot.png after a few seconds;
# Ctrl+C ends it. The program is the 32-bit build we ship, run by the emulated 32-bit Wine of
# build/wine32 (our machines' kernels run no 32-bit code).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

./scripts/setup.sh
. scripts/wine-env.sh
preset=win32

cmake --preset host >/dev/null
# Only the host tools that the Windows build runs: the form converter, the pack and padding tools.
cmake --build --preset host --target formconv sfpack padinstaller
cmake --preset $preset >/dev/null
cmake --build --preset $preset --target Project1

trap wine_env_stop EXIT
had_display=${DISPLAY:-}
display_start
wine_use $preset
wine_prefix_init "$root/build/$preset/wineprefix-run"
"$AC_WINE" "$root/build/$preset/bin/Project1.exe" &
program=$!
if [ -z "$had_display" ]; then
  sleep 5
  import -window root "$root/build/run-screenshot.png" && echo "screenshot: build/run-screenshot.png"
fi
wait $program
