#!/bin/bash
# Draws the program's pictures with ImageMagick: the tip picture (tip.jpg) and
# the application icon (app.ico). The generated files are committed; run this
# only to change them. Needs ImageMagick 6 and two fonts: WenQuanYi Micro Hei
# (fonts-wqy-microhei) and DejaVu Sans (fonts-dejavu-core).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

CJK=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
LATIN=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
for f in "$CJK" "$LATIN"; do
  [ -f "$f" ] || { echo "make-assets: missing font $f" >&2; exit 1; }
done

# ---- The tip picture: a thank-you card, 400 x 250. ----
# The window shows it squeezed to 376 x 224 and its frame covers the right
# and bottom edges, so nothing that matters lies in the last 30 rows.
convert -size 400x250 gradient:'#fff3df-#ffd7a8' \
  -fill '#fffaf2' -stroke '#e0a060' -strokewidth 2 \
  -draw 'roundrectangle 14,14 386,212 18,18' \
  -stroke none -fill '#f7c58a' \
  -draw 'circle 30,228 30,236' -draw 'circle 370,30 370,34' -draw 'circle 60,34 60,37' \
  \
  -fill '#c0392b' -draw 'path "M 100,36 C 90,18 64,28 80,48 L 100,66 L 120,48 C 136,28 110,18 100,36 Z"' \
  -fill none -stroke '#b08060' -strokewidth 4 \
  -draw 'path "M 70,96 C 60,86 80,80 70,70"' \
  -draw 'path "M 100,96 C 90,86 110,80 100,70"' \
  -draw 'path "M 130,96 C 120,86 140,80 130,70"' \
  -stroke '#6b3e26' -strokewidth 10 -draw 'arc 140,118 186,164 -90,90' \
  -stroke none -fill '#6b3e26' -draw 'roundrectangle 44,104 156,186 14,14' \
  -fill '#8a5535' -draw 'rectangle 44,104 156,118' \
  -fill '#4a2a18' -draw 'ellipse 100,106 56,7 0,360' \
  -fill '#d9b38c' -draw 'roundrectangle 30,184 172,196 6,6' \
  -fill '#fffaf2' -draw 'path "M 100,158 C 94,148 80,152 88,162 L 100,172 L 112,162 C 120,152 106,148 100,158 Z"' \
  \
  -font "$CJK" -fill '#7a3b12' -pointsize 38 -annotate +204+92 '谢谢支持' \
  -pointsize 20 -fill '#9a5a2a' -annotate +206+128 '请作者喝杯咖啡吧' \
  -font "$LATIN" -pointsize 11 -fill '#b07040' -annotate +206+158 'Thanks for using Quellrin!' \
  -fill '#e0a060' -draw 'rectangle 206,172 366,174' \
  -font "$CJK" -pointsize 13 -fill '#b08060' -annotate +206+196 '心意到了就好 ♥' \
  -type TrueColor -colorspace sRGB -strip \
  -sampling-factor 2x2,1x1,1x1 -interlace none -quality 90 \
  JPEG:tip.jpg

# ---- The icon: a folder with an arrow across it, in the 16 standard colours. ----
# Drawn at 8 times its size without smoothing, sampled down and mapped to the
# classic palette without dithering, so each size stays crisp at 4 bits per pixel.
convert xc:'#000000' xc:'#800000' xc:'#008000' xc:'#808000' xc:'#000080' xc:'#800080' \
  xc:'#008080' xc:'#c0c0c0' xc:'#808080' xc:'#ff0000' xc:'#00ff00' xc:'#ffff00' \
  xc:'#0000ff' xc:'#ff00ff' xc:'#00ffff' xc:'#ffffff' +append "$WORK/palette.png"
for s in 16 32 48; do
  b=$((s * 8))
  u=$((b / 16)) # one sixteenth of the big drawing
  convert -size ${b}x${b} xc:"#000080" +antialias \
    -fill '#0000ff' -draw "rectangle $u,$u $((b - u - 1)),$((b - u - 1))" \
    -fill '#808000' -draw "rectangle $((2 * u)),$((4 * u)) $((7 * u)),$((6 * u))" \
    -fill '#ffff00' -draw "rectangle $((2 * u)),$((5 * u)) $((14 * u - 1)),$((13 * u))" \
    -fill '#ffffff' -draw "polygon $((4 * u)),$((8 * u)) $((9 * u)),$((8 * u)) $((9 * u)),$((6 * u)) $((13 * u)),$((9 * u)) $((9 * u)),$((12 * u)) $((9 * u)),$((10 * u)) $((4 * u)),$((10 * u))" \
    -sample ${s}x${s} -alpha off +dither -remap "$WORK/palette.png" \
    -type Palette BMP3:"$WORK/icon$s.bmp"
done
convert "$WORK/icon16.bmp" "$WORK/icon32.bmp" "$WORK/icon48.bmp" ICO:app.ico
