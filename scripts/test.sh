#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test: host unit tests under ASan and
# UBSan, fuzz targets on their corpora, then the Windows tests and the end-to-end test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)

./scripts/setup.sh
echo "== set-up done in $(($(date +%s) - started)) s"

cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host -j2

cmake --preset win32 >/dev/null
cmake --build --preset win32

. scripts/wine-env.sh
trap wine_env_stop EXIT
display_start
wine_prefix_init "$root/build/win32/wineprefix"
wineserver -p
# Start Wine's background services now, away from CTest's output pipe: started by the first test
# they would inherit it and keep CTest waiting for its end.
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
ctest --preset win32 -j1

echo "== all tests passed in $(($(date +%s) - started)) s"
