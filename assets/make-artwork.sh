#!/usr/bin/env bash
# Makes the window's background picture (background.jpg, 500 x 430 baseline JPEG) and the
# program icon (corvane.ico, one 48-pixel 32-bit image) with ImageMagick. The results are
# committed; run this again only to change the artwork.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

cjk=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
latin_bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The header band: dark green with a soft texture and faint diagonal light streaks.
convert -seed 7 -size 500x170 plasma:fractal -colorspace gray -blur 0x1.5 -auto-level \
  +level-colors '#0b3a1d','#2b7d47' \
  \( -size 500x170 xc:black -fill '#3a3a3a' \
     -draw 'polygon 150,0 210,0 110,170 50,170' -draw 'polygon 360,0 390,0 290,170 260,170' \
     -blur 0x12 \) -compose screen -composite -compose over "$work/band.png"

# The logo: a light ring with a bold "C" on a darker disc.
convert -size 72x72 xc:none \
  -fill '#0a2e17' -stroke '#d8f5d0' -strokewidth 4 -draw 'circle 36,36 36,4' \
  -fill '#d8f5d0' -stroke none -font "$latin_bold" -pointsize 40 -gravity center -annotate +1+1 'C' \
  "$work/logo.png"

# The release slogan in white italic lettering (the CJK face has no italic, so it is sheared).
convert -background none -fill white -font "$cjk" -pointsize 30 label:'新版发布 · 更快更稳' \
  -shear 14x0 -trim +repage "$work/slogan.png"
convert -background none -fill '#d8f5d0' -font "$cjk" -pointsize 14 label:'Tavlor Corvane 软件更新' \
  -shear 14x0 -trim +repage "$work/subtitle.png"

# Assemble: band on top, white panel below with a 2-pixel dark green frame left, right, bottom.
convert -size 500x430 xc:'#0c3a1e' \
  -fill white -draw 'rectangle 2,170 497,427' \
  "$work/band.png" -geometry +0+0 -composite \
  "$work/logo.png" -geometry +22+34 -composite \
  "$work/slogan.png" -gravity north -geometry +20+46 -composite \
  "$work/subtitle.png" -gravity north -geometry +20+90 -composite \
  -gravity northwest -colorspace sRGB -type TrueColor -strip \
  -sampling-factor 2x2 -interlace none -quality 95 background.jpg

# The icon: the logo on a rounded green square, 48 x 48, 32 bits with alpha.
convert -size 48x48 xc:none -fill '#17522c' -draw 'roundrectangle 1,1 46,46 9,9' \
  \( "$work/logo.png" -resize 40x40 \) -gravity center -composite \
  -define icon:auto-resize=48 -type TrueColorAlpha corvane.ico
