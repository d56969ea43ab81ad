#!/bin/sh
# make_picture_data.sh CLASS IN OUT: writes a picture as a form stores it in Picture.Data: the
# graphic class name (length byte and characters), the byte count of the file (32-bit,
# little-endian), then the file itself.
set -eu
class=$1 in=$2 out=$3

byte() { printf "\\$(printf %03o "$1")"; }

count=$(wc -c <"$in")
{
  byte "${#class}"
  printf '%s' "$class"
  byte $((count & 255))
  byte $(((count >> 8) & 255))
  byte $(((count >> 16) & 255))
  byte $(((count >> 24) & 255))
  cat "$in"
} >"$out.tmp"
mv "$out.tmp" "$out"
