#!/usr/bin/env bash
# End-to-end runs of the real program: a fresh Wine prefix under the build tree (virtual desktop
# 1024x768), a recording stand-in browser registered for HTML files, the driver program doing what
# a user would in several runs of the launcher, and a screenshot of the desktop while the window
# is up. PAYLOAD is the installer file PROGRAM carries; CUSTOM is a launcher carrying another one,
# NSIS a launcher carrying NSIS_INSTALLER, an installer made by NSIS. SFPACK (the host's pack
# tool) wraps NSIS_INSTALLER into PROGRAM as well, for a run of the wrapped program.
#
#   e2e.sh SOURCE_ROOT BUILD WORK_DIR PROGRAM CUSTOM PAYLOAD DRIVER RECORDER SCREENSHOT NSIS
#          SFPACK NSIS_INSTALLER
#   (BUILD: win32 or win64)
set -euo pipefail
root=$1 build=$2 work=$3 program=$4 custom=$5 payload=$6 driver=$7 recorder=$8 shot=$9
nsis=${10} sfpack=${11} nsis_installer=${12}

. "$(dirname "$0")/../work_folder.sh"
fresh_work_folder "$work" e2e-run

. "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_use "$build"
display_start
wine_prefix_init "$work/wineprefix"
wineserver -p 60

dir="$WINEPREFIX/drive_c/e2e"
mkdir -p "$dir"
cp "$program" "$dir/Project1.exe"
cp "$custom" "$dir/Project1_custom.exe"
cp "$nsis" "$dir/Project1_nsis.exe"
cp "$nsis_installer" "$dir/nsis.bin"
"$sfpack" wrap "$program" "$nsis_installer" -o "$dir/Project1_nsis_wrapped.exe"
# And into a launcher rebranded as a vendor would: the window as text with a caption changed, a
# new logo and a new icon (made here).
mkdir -p "$work/window"
"$sfpack" form "$program" -o "$work/window/Unit1.txt" >/dev/null
sed -i "s/'Quillmoor 5.0 Deutsch'/'Quillmoor 5.1 English'/" "$work/window/Unit1.txt"
grep -q "'Quillmoor 5.1 English'" "$work/window/Unit1.txt"
convert -size 240x80 gradient:navy-skyblue "$work/window/new-logo.jpg"
convert -size 32x32 xc:gold -define icon:auto-resize=32,16 "$work/window/new.ico"
"$sfpack" wrap "$program" "$nsis_installer" --form "$work/window/Unit1.txt" \
  --logo "$work/window/new-logo.jpg" --icon "$work/window/new.ico" -o "$dir/Project1_rebranded.exe"
cp "$payload" "$dir/payload.bin"
cp "$driver" "$dir/driver.exe"
cp "$recorder" "$dir/recorder.exe"
"$AC_WINE" reg add 'HKCR\htmlfile\shell\open\command' /ve /d '"C:\e2e\recorder.exe" -nohome' /f \
  >/dev/null 2>&1
echo "registered browser command:"
"$AC_WINE" reg query 'HKCR\htmlfile\shell\open\command' /ve 2>/dev/null | tr -d '\r' |
  grep -i REG_ || true

"$AC_WINE" 'C:\e2e\driver.exe' 'C:\e2e' &
driver_pid=$!

# The driver announces the moment for the screenshot and waits until it has been taken.
for _ in $(seq 1200); do
  [ -e "$dir/ready" ] && break
  kill -0 "$driver_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -e "$dir/ready" ]; then
  mkdir -p "$(dirname "$shot")"
  import -window root "$shot" && echo "screenshot: $shot"
  touch "$dir/shot-done"
fi

status=0
wait "$driver_pid" || status=$?
echo "driver exit status: $status"
exit "$status"
