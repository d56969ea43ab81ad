#!/usr/bin/env bash
# A launcher built to carry another program: its form data holds exactly one record,
# quillmoor_full.exe, that record unpacks to exactly the program's bytes, and the CRC-32 recorded
# beside the form data is the program's.
#
#   check_carried.sh SFPACK LAUNCHER PAYLOAD WORK_DIR
set -euo pipefail
sfpack=$1 launcher=$2 payload=$3 work=$4

. "$(dirname "$0")/../work_folder.sh"
fresh_work_folder "$work" carried-check

listing=$("$sfpack" list "$launcher")
echo "$listing"
size=$(stat -c %s "$payload")
crc=$("$sfpack" crc "$payload" "$work/payload.crc")
rm "$work/payload.crc"
mapfile -t lines <<<"$listing"
if [ "${#lines[@]}" -ne 3 ] || [ "${lines[0]}" != "SFP1 form, 1 record(s)" ] ||
   [[ "${lines[1]}" != "quillmoor_full.exe  size $size  packed "* ]] ||
   [ "${lines[2]}" != "recorded CRC-32 $crc: quillmoor_full.exe matches" ]; then
  echo "expected one record quillmoor_full.exe of $size bytes, recorded CRC-32 $crc" >&2
  exit 1
fi

"$sfpack" extract "$launcher" "$work"
extracted=$(ls -A "$work")
if [ "$extracted" != quillmoor_full.exe ]; then
  echo "extracted: $extracted" >&2
  exit 1
fi
cmp "$payload" "$work/quillmoor_full.exe"
echo "quillmoor_full.exe carries the $size bytes of $payload"
