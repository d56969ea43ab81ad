#!/usr/bin/env bash
# sfpack.exe, the pack tool built for Windows, under Wine: wrap gives the same program as the host
# tool (and so as the build), replaces an existing output, refuses an output that names an input
# in other letter case, list reads the result as the host tool does, and form and wrap --form
# --logo --icon give the host tool's files and program.
#
#   check_wrap_wine.sh SOURCE_ROOT BUILD HOST_SFPACK SFPACK_EXE PROGRAM CUSTOM_PAYLOAD CUSTOM
#                      WORK_DIR
set -euo pipefail
root=$(realpath "$1") build=$2 host=$(realpath "$3") work=$8

. "$(dirname "$0")/../work_folder.sh"
fresh_work_folder "$work" wrap-wine-check
cp "$4" "$work/sfpack.exe"
cp "$5" "$work/Project1.exe"
cp "$6" "$work/setup.exe"
custom=$(realpath "$7")
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
windows() { "$root/cmake/wine-run.sh" "$build" sfpack.exe "$@"; }

"$host" wrap Project1.exe setup.exe -o host.exe >/dev/null
windows wrap Project1.exe setup.exe -o wine.exe | tr -d '\r'
cmp wine.exe host.exe || fail "sfpack.exe and the host tool give different programs"
cmp wine.exe "$custom" || fail "sfpack.exe's program differs from the build's"
echo "ok: sfpack.exe gives the host tool's program, which is the build's ($(stat -c %s wine.exe) bytes)"

cp Project1.exe wine.exe
windows wrap Project1.exe setup.exe -o wine.exe >/dev/null
cmp wine.exe host.exe || fail "sfpack.exe did not replace an existing output"
echo "ok: sfpack.exe replaces an existing output"

before=$(sha256sum Project1.exe)
if err=$(windows wrap Project1.exe setup.exe -o PROJECT1.EXE 2>&1); then
  fail "sfpack.exe wrote over its input under another spelling"
fi
[[ "$err" == *"is the input Project1.exe"* ]] || fail "refusal not explained: $err"
[ "$(sha256sum Project1.exe)" = "$before" ] || fail "the refused wrap changed Project1.exe"
echo "ok: refused: $(tr -d '\r' <<<"$err")"

[ "$(windows list wine.exe | tr -d '\r')" = "$("$host" list host.exe)" ] ||
  fail "sfpack.exe list differs from the host tool's"
echo "ok: sfpack.exe list reads it as the host tool does"

# The vendor's road through the window's text: sfpack.exe writes the host tool's text and logo
# files, and from an edited text, a new logo and a new icon (made here) the host tool's program.
mkdir host-window wine-window
"$host" form Project1.exe -o host-window/Unit1.txt >/dev/null
windows form Project1.exe -o wine-window/Unit1.txt >/dev/null
for file in Unit1.txt logo.picture logo.jpg; do
  cmp "wine-window/$file" "host-window/$file" || fail "sfpack.exe form: $file differs"
done
sed -i "s/'Quillmoor 5.0 Deutsch'/'Quillmoor 5.1 English'/" host-window/Unit1.txt
cp host-window/Unit1.txt wine-window/Unit1.txt
convert -size 240x80 gradient:navy-skyblue logo.jpg
convert -size 32x32 xc:gold -define icon:auto-resize=32,16 app.ico
"$host" wrap Project1.exe setup.exe --form host-window/Unit1.txt --logo logo.jpg --icon app.ico \
  -o host-rebranded.exe >/dev/null
windows wrap Project1.exe setup.exe --form wine-window/Unit1.txt --logo logo.jpg --icon app.ico \
  -o wine-rebranded.exe >/dev/null
cmp wine-rebranded.exe host-rebranded.exe ||
  fail "sfpack.exe wrap --form --logo --icon differs from the host tool's"
cmp -s host-rebranded.exe host.exe && fail "the rebranded program is the plain one"
echo "ok: sfpack.exe form and wrap --form --logo --icon give the host tool's files and program"
