#!/usr/bin/env bash
# The program file without the installer it carries stays within LIMIT bytes. Prints the figures
# on every run, so the build log shows how close the program is to the limit.
#
#   check_program_size.sh SFPACK PROGRAM LIMIT
set -euo pipefail
sfpack=$1 program=$2 limit=$3

total=$(stat -c %s "$program")
# The packed bytes of every record that sfpack lists ("NAME  size N  packed M  blocks ...").
packed=$("$sfpack" list "$program" |
  sed -n 's/.*  size [0-9]*  packed \([0-9]*\)  blocks .*/\1/p' | awk '{ sum += $1 } END { print sum + 0 }')
if [ "$packed" -eq 0 ]; then
  echo "$program: no packed installer found" >&2
  exit 1
fi
rest=$((total - packed))
echo "$(basename "$program"): $total bytes, carried pack $packed bytes," \
  "program without the pack $rest bytes (limit $limit)"
if [ "$rest" -gt "$limit" ]; then
  echo "the program without its pack is $((rest - limit)) bytes over the limit" >&2
  exit 1
fi
