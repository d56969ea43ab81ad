#!/usr/bin/env bash
# sfpack wrap on the launchers of this build: the released program wrapped with the installer of
# another launcher target gives that target's file byte for byte (a smaller installer and a larger
# one), and wrap refuses what it cannot do without leaving anything behind.
#
#   check_wrap.sh SFPACK PROGRAM PAYLOAD CUSTOM CUSTOM_PAYLOAD NSIS NSIS_INSTALLER OTHER_PROGRAM
#                 WORK_DIR
#   (PROGRAM carries PAYLOAD, CUSTOM carries CUSTOM_PAYLOAD, NSIS carries NSIS_INSTALLER, all built
#   by ac_launcher; OTHER_PROGRAM is a Windows program without form data)
set -euo pipefail
sfpack=$1 program=$2 payload=$3 custom=$4 custom_payload=$5 nsis=$6 nsis_installer=$7
other=$8 work=$9

. "$(dirname "$0")/../work_folder.sh"
fresh_work_folder "$work" wrap-check
cd "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

# identical LAUNCHER INSTALLER EXPECTED: wrap gives EXPECTED's bytes, and list sees the installer.
identical() {
  local out
  out=$(basename "$3" .exe)-wrapped.exe
  "$sfpack" wrap "$1" "$2" -o "$out"
  cmp "$out" "$3" || fail "wrap $(basename "$1") with $(basename "$2") differs from $(basename "$3")"
  "$sfpack" list "$out" | grep -q "^recorded CRC-32 [0-9A-F]*: quillmoor_full.exe matches$" ||
    fail "sfpack list $out"
  echo "ok: wrap $(basename "$1") $(basename "$2") is byte for byte $(basename "$3")" \
       "($(stat -c %s "$3") bytes)"
}
identical "$program" "$custom_payload" "$custom"
identical "$program" "$nsis_installer" "$nsis"
identical "$custom" "$payload" "$program"

# refused MESSAGE OUT ARGS...: wrap fails with MESSAGE, OUT is as it was and nothing is left
# beside it.
refused() {
  local message=$1 out=$2 before after err
  shift 2
  before=$(sha256sum "$out" 2>/dev/null || echo none)
  if err=$("$sfpack" wrap "$@" 2>&1); then fail "wrap $* succeeded"; fi
  [[ "$err" == *"$message"* ]] || fail "wrap $*: '$err' does not say '$message'"
  after=$(sha256sum "$out" 2>/dev/null || echo none)
  [ "$before" = "$after" ] || fail "wrap $* changed $out"
  [ -z "$(find . -name '*.sfpack-partial')" ] || fail "wrap $* left a partial file"
  echo "ok: refused: $err"
}
cp "$program" launcher.exe
cp "$custom_payload" installer.exe
echo "an earlier output" >out.exe
head -c 300000 "$program" >cut.exe
mkdir -p folder.exe/inside
refused "is the input launcher.exe" launcher.exe launcher.exe installer.exe -o launcher.exe
refused "is the input launcher.exe" launcher.exe launcher.exe installer.exe -o ../wrap-check/launcher.exe
refused "is the input installer.exe" installer.exe launcher.exe installer.exe -o installer.exe
refused "no form data" out.exe "$other" installer.exe -o out.exe
refused "damaged or unexpected program file" out.exe cut.exe installer.exe -o out.exe
refused "cannot write missing/new.exe" missing/new.exe launcher.exe installer.exe -o missing/new.exe
refused "cannot write folder.exe" folder.exe launcher.exe installer.exe -o folder.exe

# An existing output is replaced whole.
"$sfpack" wrap launcher.exe installer.exe -o out.exe >/dev/null
cmp out.exe "$custom" || fail "out.exe was not replaced by the wrapped program"
echo "ok: an existing output is replaced"

# The window as text and back: sfpack form writes the program's own Unit1.form (the installer a
# marker), and wrap --form with that text unchanged gives the plain wrap's bytes.
mkdir -p window
"$sfpack" form "$program" -o window/Unit1.txt >/dev/null
expected_text=$(sed "s/{ @file 'logo.picture' }/{@file 'logo.picture'}/; s/{ @file 'installer.sfp' }/{@installer}/" \
  "$(dirname "$0")/../../launcher/Unit1.form")
[ "$(cat window/Unit1.txt)" = "$expected_text" ] || fail "sfpack form differs from launcher/Unit1.form"
[ "$(head -c 2 window/logo.jpg | od -An -tx1 | tr -d ' ')" = ffd8 ] || fail "logo.jpg is no JPEG"
for target in "$custom:$custom_payload" "$nsis:$nsis_installer"; do
  "$sfpack" wrap "$program" "${target#*:}" --form window/Unit1.txt -o via-form.exe >/dev/null
  cmp via-form.exe "${target%%:*}" || fail "wrap --form with the unchanged text differs from $(basename "${target%%:*}")"
  echo "ok: wrap --form with the unchanged text is byte for byte $(basename "${target%%:*}")"
done
sed 's/OnClick = BitBtn1Click/OnClick = Image2Click/' window/Unit1.txt >window/unbound.txt
refused "line 67: BitBtn1.OnClick must be bound to BitBtn1Click" out.exe \
  launcher.exe installer.exe --form window/unbound.txt -o out.exe

# --icon: every image of the icon file lands in the program, which still carries the installer.
convert -size 32x32 xc:red -define icon:auto-resize=48,32,16 window/new.ico
"$sfpack" wrap "$program" "$custom_payload" --icon window/new.ico -o with-icon.exe >/dev/null
python3 - window/new.ico with-icon.exe <<'PY' || fail "wrap --icon: an image of the icon is missing"
import struct, sys
ico, exe = (open(p, "rb").read() for p in sys.argv[1:3])
for i in range(struct.unpack("<H", ico[4:6])[0]):
    size, at = struct.unpack("<II", ico[14 + 16 * i:22 + 16 * i])
    assert ico[at:at + size] in exe, i
PY
"$sfpack" list with-icon.exe | grep -q "quillmoor_full.exe matches$" || fail "sfpack list with-icon.exe"
echo "ok: wrap --icon puts each image of the icon into the program"
