#!/usr/bin/env bash
# The launcher with a large installer under Wine: its progress window, its main window after it,
# and closing the progress window to stop the preparation. The installers are made here at run
# time from the build's stand-in installer (SETUP) with random bytes appended, as real installers
# append their archive, and wrapped into the build's launcher (PROGRAM) with the host's pack tool
# (SFPACK). PAYLOAD is the installer file PROGRAM carries. The big files go when the script ends.
#
#   check_large.sh SOURCE_ROOT BUILD WORK_DIR PROGRAM PAYLOAD SETUP SFPACK DRIVER
#   (BUILD: win32 or win64)
set -euo pipefail
root=$1 build=$2 work=$3 program=$4 payload=$5 setup=$6 sfpack=$7 driver=$8

. "$(dirname "$0")/../work_folder.sh"
fresh_work_folder "$work" large-run

. "$root/scripts/wine-env.sh"
dir=$work/wineprefix/drive_c/e2e
finish() {
  wine_env_stop
  # The TEMP folders too: a launcher the driver had to end can leave a partly written installer.
  rm -rf "$work"/*.bin "$dir"/*.bin "$dir"/Project1_large.exe "$dir"/Project1_stop.exe "$dir"/temp-*
}
trap finish EXIT

# The 100 MB installer, and a launcher carrying it.
cp "$setup" "$work/large.bin"
head -c 100000000 /dev/urandom >>"$work/large.bin"
# For the run that closes the progress window: the same 100 MB followed by 400 MB of zeros. Zeros
# pack small, so this launcher is about as large as the other, but it writes 500 MB into TEMP and
# so shows its progress window for longer; under the emulated Wine the 100 MB one can be done
# before the driver, polling every 20 ms, has seen its window and its WM_CLOSE has arrived.
cp "$work/large.bin" "$work/stop.bin"
head -c 400000000 /dev/zero >>"$work/stop.bin"

wine_use "$build"
display_start
wine_prefix_init "$work/wineprefix"
wineserver -p 60

mkdir -p "$dir"
"$sfpack" wrap "$program" "$work/large.bin" -o "$dir/Project1_large.exe"
"$sfpack" wrap "$program" "$work/stop.bin" -o "$dir/Project1_stop.exe"
rm -f "$work/stop.bin"
mv "$work/large.bin" "$dir/large.bin"
cp "$program" "$dir/Project1.exe"
cp "$payload" "$dir/payload.bin"
cp "$driver" "$dir/driver.exe"
ls -l "$dir" | awk 'NR > 1 {print "  " $5, $9}'

status=0
"$AC_WINE" 'C:\e2e\driver.exe' 'C:\e2e' </dev/null || status=$?
echo "driver exit status: $status"
exit "$status"
