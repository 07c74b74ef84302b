#!/usr/bin/env bash
# Makes the About box's logo (75 x 150, 256 colours) from the ornament itself:
# a frame of the "Gold" material over a dark blue gradient, with the product
# name and version; and the program's icon from the logo. Both are kept in
# the repository, since the Windows build cannot run the Linux renderer; run
# this after a change that should show in the logo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
render=${1:-$root/build/tools/zelk-mirv-render}
version=$(sed -n 's/^project(zelk_mirv VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "no project version in CMakeLists.txt" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$render" frames --size 150x150 --seed 1101 --speed 2.0 --frames 120 --material 5 \
  --out "$work/ornament.png" 2>/dev/null
convert -size 75x150 gradient:'#1a2f7a'-'#03081f' "$work/back.png"
convert "$work/ornament.png" -resize 75x75 \
  \( -size 75x75 radial-gradient:white-black -level 0%,45% \) -alpha off -compose CopyOpacity \
  -composite "$work/disc.png"
convert "$work/back.png" "$work/disc.png" -geometry +0+8 -compose Over -composite \
  -font DejaVu-Sans-Bold -fill '#f0f4ff' -gravity North \
  -pointsize 15 -annotate +0+88 'Zelk' -annotate +0+106 'Mirv' \
  -font DejaVu-Sans -fill '#9fb4ff' -pointsize 11 -annotate +0+130 "version $version" \
  +dither -colors 256 -type Palette -compress None BMP3:"$root/src/platform/win32/art/logo.bmp"
# The icon of the saver and its installer: the logo's disc, cut out round.
convert "$root/src/platform/win32/art/logo.bmp" -crop 75x75+0+8 +repage \
  \( -size 75x75 xc:black -fill white -draw 'circle 37,37 37,0' \) -alpha off \
  -compose CopyOpacity -composite -define icon:auto-resize=48,32,16 \
  "$root/src/platform/win32/art/zelk_mirv.ico"
echo "wrote src/platform/win32/art/logo.bmp and zelk_mirv.ico"
