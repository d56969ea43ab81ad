#!/usr/bin/env bash
# Regenerates the program's pictures in this folder:
#   logo.jpg       the maker's logo (emblem + "Quillmoor"), progressive JFIF, 197 x 89, 4,411 bytes
#   mainicon.ico   the program icon (the logo's emblem), 48, 32 and 16 pixels
#   bbok.bmp, handpoint.cur   drawn by make_glyph_cursor.py
#   cursors/*.cur, cursors.rc the 41 extra cursors, drawn by make_cursors.py
# Needs ImageMagick (convert), libjpeg-turbo-progs (cjpeg, wrjpgcom), fonts-liberation, python3.
# The output is the same on every run; the build uses the committed files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fonts=/usr/share/fonts/truetype/liberation
green='#2f7a57'
navy='#1d3557'

# The emblem: a quill over moorland hills in a green disc, drawn large and scaled down. The quill's
# shaft and barbs ($2 = barbs) only show at logo size; the small icons keep the plain white quill.
emblem() {
  local details=()
  if [ "$2" = barbs ]; then
    details=(-stroke '#215a40' -strokewidth 5 -fill none
      -draw "path 'M 48,214 C 90,150 140,95 198,42'"
      -stroke "$green" -strokewidth 4
      -draw "line 126,118 112,92" -draw "line 148,94 138,68" -draw "line 104,144 88,122"
      -draw "line 130,122 162,118" -draw "line 108,150 136,150")
  fi
  convert -size 240x240 xc:none \
    -fill "$green" -draw "circle 120,120 120,2" \
    -fill '#215a40' -draw "path 'M 0,168 Q 60,130 125,160 T 240,150 L 240,240 L 0,240 Z'" \
    -fill '#17432f' -draw "path 'M 0,200 Q 80,170 150,195 T 240,190 L 240,240 L 0,240 Z'" \
    -fill white -draw "path 'M 62,196 C 78,128 126,70 204,34 C 194,104 150,160 78,190 Z'" \
    "${details[@]}" \
    \( -size 240x240 xc:none -fill white -draw "circle 120,120 120,2" \) \
    -compose DstIn -composite "$1"
}
emblem "$work/emblem.png" barbs
emblem "$work/emblem-plain.png" plain

# The logo on white; PPM carries no metadata, so cjpeg sees only pixels.
convert -size 197x89 xc:white \( "$work/emblem.png" -resize 62x62 \) -geometry +6+13 -composite \
  -font "$fonts/LiberationSans-Bold.ttf" -pointsize 25 -fill "$navy" -annotate +74+48 'Quillmoor' \
  -fill "$green" -draw "rectangle 75,56 190,57" \
  -font "$fonts/LiberationSans-Regular.ttf" -pointsize 10 -kerning 2.2 -annotate +75+70 'SOFTWARE' \
  -depth 8 "$work/logo.ppm"
cjpeg -quality 86 -progressive -optimize "$work/logo.ppm" >"$work/logo.jpg"

# A comment marker brings the file to the 4,411 bytes the form data was laid out for (the marker
# costs 4 bytes besides its text).
target=4411
size=$(stat -c %s "$work/logo.jpg")
room=$((target - size - 4))
if [ "$room" -lt 24 ]; then
  echo "logo.jpg: $size bytes leave no room for the comment; lower the quality" >&2
  exit 1
fi
comment=$(printf '%-*s' "$room" "Quillmoor Software logo, 197 x 89.")
wrjpgcom -replace -comment "$comment" "$work/logo.jpg" >"$here/logo.jpg"
[ "$(stat -c %s "$here/logo.jpg")" -eq "$target" ] || { echo "logo.jpg: wrong size" >&2; exit 1; }

# The icon: the emblem at three sizes, on transparent ground.
for s in 48 32 16; do
  convert "$work/emblem-plain.png" -resize ${s}x${s} -define png:exclude-chunks=date,time \
    "$work/icon$s.png"
done
convert "$work/icon48.png" "$work/icon32.png" "$work/icon16.png" "$here/mainicon.ico"

python3 "$here/make_glyph_cursor.py" "$here"
python3 "$here/make_cursors.py" "$here"
echo "pictures written to $here"
