#!/bin/sh
# Runs a Windows program under Wine in a private prefix inside the win32 build tree, so tests never
# touch the developer's own Wine setup. scripts/test.sh creates the prefix, the virtual display and
# a persistent wineserver; run on its own this still works, only slower.
here=$(cd "$(dirname "$0")/.." && pwd)
: "${WINEPREFIX:=$here/build/win32/wineprefix}"
: "${WINEDEBUG:=-all}"
export WINEPREFIX WINEDEBUG
exec wine "$@"
