#!/usr/bin/env bash
# Signs a copy of the program the way the build does (scripts/sign.sh) with a throwaway
# self-signed certificate made here, and checks the result: the signature verifies, the unsigned
# program does not, a wrong password fails without touching the file, the carried installer still
# reads the same, sfpack wrap of the signed program leaves the signature out, says so and gives
# the unsigned program (which signs again), and (given the BUILD, win32 or win64) the signed
# program still starts under Wine, unpacks the installer, ends on WM_CLOSE with exit code 0 and
# removes the unpacked file.
#
#   sign_check.sh SOURCE_ROOT SFPACK PROGRAM WORK_DIR [BUILD CLOSEWINDOW_EXE]
set -euo pipefail
root=$(realpath "$1") sfpack=$(realpath "$2") program=$(realpath "$3") work=$4 build=${5:-}
closewindow=${6:+$(realpath "$6")}

. "$(dirname "$0")/../work_folder.sh"
fresh_work_folder "$work" sign-check
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }

AC_SIGN_PASSWORD=$(openssl rand -hex 16)
export AC_SIGN_PASSWORD
openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 1 \
  -subj "/CN=Throwaway Test Signer" -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -in cert.pem -inkey key.pem -out signer.p12 -passout env:AC_SIGN_PASSWORD

cp "$program" unsigned.exe
cp "$program" Project1.exe
"$root/scripts/sign.sh" Project1.exe signer.p12
osslsigncode verify -in Project1.exe -CAfile cert.pem >verify.txt || { cat verify.txt; fail "verify"; }
grep -q "Message digest algorithm *: SHA256" verify.txt || fail "no SHA-256 digest"
grep -q "Subject: /CN=Throwaway Test Signer" verify.txt || fail "signer not named"
echo "ok: signature verifies (SHA-256, self-signed test certificate)"
if osslsigncode verify -in unsigned.exe -CAfile cert.pem >/dev/null 2>&1; then
  fail "the unsigned program verifies"
fi

cp unsigned.exe wrong.exe
if AC_SIGN_PASSWORD=wrong "$root/scripts/sign.sh" wrong.exe signer.p12 >/dev/null 2>&1; then
  fail "signing with a wrong password succeeded"
fi
cmp -s wrong.exe unsigned.exe || fail "a failed signing changed the program"
echo "ok: a wrong password fails and leaves the program as it was"

[ "$("$sfpack" list Project1.exe)" = "$("$sfpack" list unsigned.exe)" ] || fail "sfpack list"
"$sfpack" list Project1.exe

# Wrapped with the installer it carries, the signed program loses its signature (wrap says so and
# how to sign again) and is the unsigned program byte for byte, which signs again.
"$sfpack" extract unsigned.exe carried >/dev/null
"$sfpack" wrap Project1.exe carried/quillmoor_full.exe -o wrapped.exe | tee wrap.txt
grep -q "Project1.exe was signed: .*osslsigncode sign .* -in wrapped.exe" <(tr '\n' ' ' <wrap.txt) ||
  fail "wrap does not say that it left the signature out and how to sign again"
cmp wrapped.exe unsigned.exe || fail "wrap of the signed program is not the unsigned program"
"$root/scripts/sign.sh" wrapped.exe signer.p12 >/dev/null
osslsigncode verify -in wrapped.exe -CAfile cert.pem >/dev/null || fail "the wrapped program signs"
echo "ok: wrap leaves the signature out and says so; the result is the unsigned program and signs"

[ -n "$build" ] || exit 0
. "$root/scripts/wine-env.sh"
wine_use "$build"
: "${WINEPREFIX:=$root/build/$build/wineprefix}"
export WINEPREFIX WINEDEBUG=-all
temp=$("$AC_WINE" winepath -u "$("$AC_WINE" cmd /c echo %TEMP% | tr -d '\r')" | tr -d '\r')
installer=$temp/quillmoor_full.exe
rm -f "$installer"
size=$("$sfpack" list Project1.exe | sed -n 's/^quillmoor_full\.exe  size \([0-9]*\) .*/\1/p')

"$AC_WINE" "$work/Project1.exe" &
pid=$!
for _ in $(seq 600); do
  [ "$(stat -c %s "$installer" 2>/dev/null)" = "$size" ] && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
[ "$(stat -c %s "$installer" 2>/dev/null)" = "$size" ] || fail "the signed program did not unpack"
# WM_CLOSE to the window, as its close box sends it.
"$AC_WINE" "$closewindow" Installation 60 || true
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then
  kill $pid
  fail "the signed program did not end on WM_CLOSE"
fi
code=0
wait $pid || code=$?
[ $code = 0 ] || fail "exit code $code after WM_CLOSE"
[ ! -e "$installer" ] || fail "the unpacked installer was left in $temp"
echo "ok: the signed program started under Wine, unpacked the installer and ended on WM_CLOSE"
