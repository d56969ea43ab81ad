#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine. Without a screen it runs
# on a virtual display and saves a screenshot to build/run-screenshot.png after a few seconds;
# Ctrl+C ends it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

./scripts/setup.sh
cmake --preset host >/dev/null
# Only the host tools that the Windows build runs: the form converter, the pack and padding tools.
cmake --build --preset host --target formconv sfpack padinstaller
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target Project1

. scripts/wine-env.sh
trap wine_env_stop EXIT
had_display=${DISPLAY:-}
display_start
wine_prefix_init "$root/build/wineprefix-run"
wine "$root/build/win32/bin/Project1.exe" &
program=$!
if [ -z "$had_display" ]; then
  sleep 5
  import -window root "$root/build/run-screenshot.png" && echo "screenshot: build/run-screenshot.png"
fi
wait $program
