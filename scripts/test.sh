#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: host unit tests under ASan and UBSan, fuzz
# targets on their corpora, then the Windows tests and the end-to-end test under Wine. The shipped
# program is the 32-bit build (win32), always built; on a machine whose kernel runs no 32-bit
# programs the Windows tests run on the same tree built as 64-bit programs (win64) under 64-bit Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)

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
echo "== set-up done in $(($(date +%s) - started)) s"

build host
ctest --preset host -j2

build win32
. scripts/wine-env.sh
trap wine_env_stop EXIT
display_start
if wine_runs_32bit; then
  wine_tests win32
else
  echo "== this kernel runs no 32-bit programs: the Windows tests run on the 64-bit build (win64)" \
    "under 64-bit Wine; the 32-bit build runs only its checks that need no Wine"
  AC_WINE_TESTS=off ctest --preset win32 -LE wine
  build win64
  wine_tests win64
fi

echo "== all tests passed in $(($(date +%s) - started)) s"
