#!/bin/sh
# wine-run.sh BUILD PROGRAM [ARGS...]: runs a Windows program of build/BUILD (win32 or win64) under
# Wine, in that build tree's private prefix, so tests never touch the developer's own Wine setup.
# scripts/test.sh creates the prefix, the virtual display and a persistent wineserver; run on its
# own this still works, only slower.
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
shift
. "$root/scripts/wine-env.sh"
wine_use "$build"
: "${WINEPREFIX:=$root/build/$build/wineprefix}"
: "${WINEDEBUG:=-all}"
export WINEPREFIX WINEDEBUG
exec "$AC_WINE" "$@"
