#!/usr/bin/env bash
# sfpack list on a copy of the program whose recorded CRC-32 (the INSTALLERCRC resource) has one
# bit changed: it names the mismatch with both values and ends with exit code 1. The resource's 4
# bytes are found as the only place in the program file that holds the payload's CRC-32.
#
#   check_crc_mismatch.sh SFPACK PROGRAM PAYLOAD WORK_DIR
set -euo pipefail
sfpack=$1 program=$2 payload=$3 work=$4

. "$(dirname "$0")/../work_folder.sh"
fresh_work_folder "$work" crc-mismatch

crc=$("$sfpack" crc "$payload" "$work/payload.crc")
python3 - "$program" "$work/payload.crc" "$work/changed.exe" <<'PY'
import sys
program = bytearray(open(sys.argv[1], "rb").read())
crc = open(sys.argv[2], "rb").read()
at = program.find(crc)
if at < 0 or program.find(crc, at + 1) >= 0:
    sys.exit("the recorded CRC-32 is not found exactly once in the program")
program[at] ^= 0x01
open(sys.argv[3], "wb").write(program)
PY

status=0
listing=$("$sfpack" list "$work/changed.exe") || status=$?
echo "$listing"
line=$(tail -n 1 <<<"$listing")
if [ "$status" -ne 1 ] ||
   [[ "$line" != "recorded CRC-32 "*": quillmoor_full.exe DOES NOT MATCH (its CRC-32 is $crc)" ]]; then
  echo "expected exit code 1 and the mismatch against $crc, got exit code $status" >&2
  exit 1
fi
echo "the changed copy is reported: exit code $status"
