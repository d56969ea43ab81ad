#!/usr/bin/env bash
# A launcher built to carry another program: its form data holds exactly one record,
# quillmoor_full.exe, and that record unpacks to exactly the program's bytes.
#
#   check_carried.sh SFPACK LAUNCHER PAYLOAD WORK_DIR
set -euo pipefail
sfpack=$1 launcher=$2 payload=$3 work=$4

case "$work" in
  */carried-check) ;;
  *) echo "refusing to clear $work: the work folder must end in /carried-check" >&2; exit 2 ;;
esac

listing=$("$sfpack" list "$launcher")
echo "$listing"
size=$(stat -c %s "$payload")
mapfile -t lines <<<"$listing"
if [ "${#lines[@]}" -ne 2 ] || [ "${lines[0]}" != "SFP1 form, 1 record(s)" ] ||
   [[ "${lines[1]}" != "quillmoor_full.exe  size $size  packed "* ]]; then
  echo "expected one record quillmoor_full.exe of $size bytes" >&2
  exit 1
fi

rm -rf "$work"
mkdir -p "$work"
"$sfpack" extract "$launcher" "$work"
extracted=$(ls -A "$work")
if [ "$extracted" != quillmoor_full.exe ]; then
  echo "extracted: $extracted" >&2
  exit 1
fi
cmp "$payload" "$work/quillmoor_full.exe"
echo "quillmoor_full.exe carries the $size bytes of $payload"
