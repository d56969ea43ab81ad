#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: host unit tests under ASan and UBSan, fuzz
# targets on their corpora, then the Windows tests and the end-to-end test under Wine on the build
# we ship, the 32-bit one (win32), whose programs run under the emulated 32-bit Wine of build/wine32.
# With AC_TEST_WIN64=1 the same tree is also built and tested as 64-bit programs (win64) under the
# native 64-bit Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)
stage_started=$started

# stage_done NAME: how long the stage that ends here took, and the total so far.
stage_done() {
  local now
  now=$(date +%s)
  echo "== $1: $((now - stage_started)) s (total $((now - started)) s)"
  stage_started=$now
}

# build PRESET: configure and build one preset.
build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

# wine_tests PRESET: the preset's tests under its Wine loader, in its private prefix, with one
# persistent wineserver.
wine_tests() {
  wine_use "$1"
  wine_prefix_init "$root/build/$1/wineprefix"
  wineserver -p
  # Start Wine's background services now, away from CTest's output pipe: started by the first test
  # they would inherit it and keep CTest waiting for its end.
  "$AC_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
  ctest --preset "$1" -j1
}

./scripts/setup.sh
stage_done "set-up"
build host
stage_done "host build"
ctest --preset host -j2
stage_done "host tests"

build win32
stage_done "win32 build"
. scripts/wine-env.sh
trap wine_env_stop EXIT
display_start
wine_tests win32
stage_done "win32 tests under the emulated 32-bit Wine"
if [ "${AC_TEST_WIN64:-0}" = 1 ]; then
  build win64
  stage_done "win64 build"
  wine_tests win64
  stage_done "win64 tests"
fi

echo "== all tests passed in $(($(date +%s) - started)) s"
