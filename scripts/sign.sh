#!/usr/bin/env bash
# sign.sh PROGRAM PKCS12 [TIMESTAMP_URL]: signs the Windows program in place with Authenticode
# (SHA-256) using osslsigncode, with the certificate and key of the PKCS#12 file, and, when a URL
# is given, an RFC 3161 time stamp from that server.
#
# The password comes from the environment variable AC_SIGN_PASSWORD (empty when unset). It reaches
# osslsigncode through a pipe (-readpass /dev/fd/N), written by the shell's built-in printf, so it
# appears in no process's command line and in no file.
set -euo pipefail
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: sign.sh PROGRAM PKCS12 [TIMESTAMP_URL]" >&2
  exit 2
fi
program=$1 pkcs12=$2 url=${3:-}
if [ ! -f "$pkcs12" ]; then
  echo "sign.sh: no certificate file $pkcs12" >&2
  exit 2
fi

timestamp=()
[ -n "$url" ] && timestamp=(-ts "$url")
signed="$program.signing"
trap 'rm -f "$signed"' EXIT
osslsigncode sign -pkcs12 "$pkcs12" -readpass <(printf '%s' "${AC_SIGN_PASSWORD:-}") -h sha256 \
  "${timestamp[@]}" -in "$program" -out "$signed" >/dev/null
mv "$signed" "$program"
echo "signed $program"
