#!/bin/sh
# GetOSVersion and IsWinNT against the versions Wine can report. Each version gets its own renamed
# copy of the probe and a per-program Wine setting (AppDefaults\<name>.exe, value Version), so the
# prefix as a whole keeps its version even when this test is killed half-way.
#
#   osversion_test.sh PROBE WORK_DIR WINE_RUN...   (the build's Wine command, e.g. wine-run.sh win32)
set -u
probe=$1 work=$2
shift 2
mkdir -p "$work"
status=0
for row in "win95 os95 0" "win98 os98SE 0" "winme osME 0" "nt40 osNT4 1" "win2k os2K 1" \
           "winxp osXP 1" "win2003 os2003Server 1" "win7 osUnknown 1"; do
  version=${row%% *} want=${row#* }
  exe="probe_$version.exe"
  key="HKCU\\Software\\Wine\\AppDefaults\\$exe"
  cp "$probe" "$work/$exe"
  "$@" reg add "$key" /v Version /d "$version" /f >/dev/null 2>&1
  got=$("$@" "$work/$exe" 2>/dev/null | tr -d '\r')
  "$@" reg delete "$key" /f >/dev/null 2>&1
  if [ "$got" = "$want" ]; then
    echo "ok   $version: $got"
  else
    echo "FAIL $version: got '$got', want '$want'"
    status=1
  fi
done
exit $status
