#!/usr/bin/env bash
# Takes a picture of the program's window: builds what it needs, starts the program under Wine on
# a private virtual display in a prefix of its own, waits until the window has appeared and stopped
# changing, writes the window with a margin of the desktop around it as a PNG, and closes the
# program again as a user would.
#
#   scripts/screenshot.sh [OUTPUT [PROGRAM]]
#
# OUTPUT defaults to docs/window.png in the repository, PROGRAM to the build's Project1.exe (another
# launcher, e.g. one a vendor made with sfpack wrap --form, is pictured the same way).
#
# Like run.sh it runs the 32-bit program we ship, under the emulated 32-bit Wine of build/wine32.
# Installs nothing: run scripts/setup.sh first on a fresh machine.
set -euo pipefail
out=${1:-}
program_file=${2:+$(realpath "$2")}
cd "$(dirname "$0")/.."
root=$(pwd)
case "$out" in
  "") out=$root/docs/window.png ;;
  /*) ;;
  *) out=$OLDPWD/$out ;;
esac
margin=16
timeout_s=120

. scripts/wine-env.sh
preset=win32

cmake --preset host >/dev/null
cmake --build --preset host --target formconv sfpack padinstaller >/dev/null
cmake --preset $preset >/dev/null
cmake --build --preset $preset --target Project1 closewindow >/dev/null

work=$(mktemp -d)
trap 'wine_env_stop; rm -rf "$work"' EXIT
unset DISPLAY  # always a private display: the picture must not show the caller's desktop
display_start
wine_use $preset
wine_prefix_init "$root/build/$preset/wineprefix-shot"
wineserver -p 30
"$AC_WINE" "${program_file:-$root/build/$preset/bin/Project1.exe}" >/dev/null 2>&1 &
program=$!

# window_box SHOT: the bounding box (WxH+X+Y) of what differs from the empty desktop, whose colour
# the corner pixel has; the window is the only thing on the virtual desktop.
window_box() {
  convert "$1" -trim -format '%wx%h%X%Y' info: 2>/dev/null
}

# The window is there once the box is window-sized and the same in two pictures half a second
# apart (the logo and the captions are painted after the frame).
previous='' box='' deadline=$((SECONDS + timeout_s))
while [ $SECONDS -lt $deadline ]; do
  sleep 0.5
  import -window root "$work/desk.png" 2>/dev/null || continue
  box=$(window_box "$work/desk.png")
  width=${box%%x*} height=${box#*x} height=${height%%[+-]*}
  if [ "${width:-0}" -ge 200 ] && [ "${height:-0}" -ge 100 ] && [ "$box" = "$previous" ]; then
    break
  fi
  previous=$box
  box=''
done
if [ -z "$box" ]; then
  echo "screenshot: no window appeared within $timeout_s s" >&2
  exit 1
fi

# The window with the margin of desktop around it, clipped to the screen.
offset=${box#*x}
offset=${offset#"$height"}
x=$(echo "$offset" | cut -d+ -f2) y=$(echo "$offset" | cut -d+ -f3)
left=$((x > margin ? x - margin : 0)) top=$((y > margin ? y - margin : 0))
crop=$((width + 2 * margin))x$((height + 2 * margin))+$left+$top
mkdir -p "$(dirname "$out")"
# Without metadata and time stamps: the same window gives the same file.
convert "$work/desk.png" -crop "$crop" +repage -strip -define png:exclude-chunks=date,time "$out"
echo "screenshot: $out ($(identify -format '%wx%h' "$out"), window ${width}x$height at $x,$y)"

# Closed as a user closes it (WM_CLOSE, as from the close box), so the program deletes the
# installer it unpacked into the prefix's TEMP; the exit trap ends what is left.
"$AC_WINE" "$root/build/$preset/bin/closewindow.exe" Installation 10 >/dev/null 2>&1 || true
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
