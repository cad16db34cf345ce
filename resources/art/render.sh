#!/bin/bash
# Re-renders every picture in resources/art/ from the drawings in resources/art/src/.
# Needs rsvg-convert (librsvg2-bin), ImageMagick's convert, python3 and the DejaVu fonts.
# Running it twice gives byte-identical files.
set -euo pipefail

art=$(cd "$(dirname "$0")" && pwd)
src=$art/src
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# render NAME SIZE -> $work/NAME-SIZE.png
render() {
  rsvg-convert -w "$2" -h "$2" "$src/$1.svg" -o "$work/$1-$2.png"
}

render talvex-16 16
render talvex-20 20
render talvex-24 24
render talvex-32 32
for size in 40 48 64 256; do render talvex-256 "$size"; done
for name in copy tools clear hide menu1 menu2 menu3 menu4 menu6; do render "$name" 16; done

python3 "$src/build_images.py" "$work" "$art"

# Window background: the drawing, the 24 px clipboard in the title strip, then packed
# losslessly in the program's own run-length format (no image decoder needed to show it).
rsvg-convert "$src/background.svg" -o "$work/background.png"
convert "$work/background.png" "$work/talvex-24-24.png" -geometry +10+10 -composite \
  -alpha off -depth 8 "rgb:$work/background.rgb"
python3 "$src/pack_picture.py" "$work/background.rgb" 432 503 "$art/background.pack"

python3 "$src/check_images.py" "$art"
