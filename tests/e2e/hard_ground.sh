#!/usr/bin/env bash
# End-to-end runs of the real program on a machine that is not clean: a fresh Wine prefix under the
# build tree (virtual desktop 1024x768, as e2e.sh makes it), a 1 MB tmpfs mapped as drive T: for a
# TEMP folder on a full drive, and the hard-ground driver playing the user in each situation.
# PAYLOAD is the installer file PROGRAM carries. Where no tmpfs may be mounted the full drive is
# skipped, with one line saying so, and the rest runs. Afterwards no file of the installer's name
# may be left anywhere on drive C: or T: (the driver removes what it put there itself).
#
#   hard_ground.sh SOURCE_ROOT BUILD WORK_DIR PROGRAM PAYLOAD DRIVER   (BUILD: win32 or win64)
set -euo pipefail
root=$1 build=$2 work=$3 program=$4 payload=$5 driver=$6

small=$work/small-drive
# A tmpfs left mounted by an interrupted run goes first, so that clearing the work folder does not
# stop at it.
if mountpoint -q "$small" 2>/dev/null; then umount "$small"; fi
. "$(dirname "$0")/../work_folder.sh"
fresh_work_folder "$work" hard-ground-run

. "$root/scripts/wine-env.sh"
mounted=0
finish() {
  wine_env_stop
  # The processes on the small drive may take a moment to go; then it is detached lazily.
  if [ $mounted = 1 ]; then umount "$small" 2>/dev/null || { sleep 1; umount -l "$small"; } || true; fi
}
trap finish EXIT
wine_use "$build"
display_start
wine_prefix_init "$work/wineprefix"
wineserver -p 60

dir="$WINEPREFIX/drive_c/e2e"
mkdir -p "$dir"
cp "$program" "$dir/Project1.exe"
cp "$payload" "$dir/payload.bin"
cp "$driver" "$dir/driver.exe"

# The installer (1.8 MB) does not fit on a 1 MB drive.
full_temp=()
mkdir -p "$small"
if reason=$(mount -t tmpfs -o size=1m tmpfs "$small" 2>&1); then
  mounted=1
  mkdir "$small/temp"
  ln -s "$small" "$WINEPREFIX/dosdevices/t:"
  full_temp=('T:\temp')
else
  echo "skipped: disk full (no tmpfs here: $(printf '%s' "$reason" | tr '\n' ' '))"
fi

status=0
"$AC_WINE" 'C:\e2e\driver.exe' 'C:\e2e' "${full_temp[@]}" || status=$?
echo "driver exit status: $status"

places=("$WINEPREFIX/drive_c")
[ $mounted = 1 ] && places+=("$small")
left=$(find "${places[@]}" -iname 'quillmoor_full.exe' | sed "s|^$work/||")
if [ -z "$left" ]; then
  echo "ok: no quillmoor_full.exe left on drive C: or T:"
else
  echo "FAIL: left behind:" $left
  status=$((status + 1))
fi
exit "$status"
