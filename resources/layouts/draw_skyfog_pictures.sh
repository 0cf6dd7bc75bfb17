#!/bin/sh
# Draws the sky & fog palette's pictures into pictures/ with ImageMagick: the strips of the value
# controls (11 steps each), the fog control (6 intensity columns by 12 height rows, picture = column
# + 6 x row), the sky modes, sun / moon, the randomize and menu buttons with their lit states, and the
# program's cursor 112.
# Run from anywhere; the pictures are committed, so the build does not need ImageMagick.
set -eu
cd "$(dirname "$0")/pictures"

sky_top='#3f6fa8'
sky_low='#a9c8e6'
hill='#4d6b3a'

# A landscape of 36 x 36: a sky gradient and two hills.
landscape() {
  convert -size 36x36 gradient:"$sky_top"-"$sky_low" \
    -fill "$hill" -draw 'ellipse 8,40 22,14 0,360' -draw 'ellipse 30,42 20,12 0,360' "$1"
}

# A level of 0 to 10 as a bar along the foot.
bar() {
  echo "rectangle 2,33 $((2 + $1 * 32 / 10)),34"
}

landscape /tmp/skyfog-land.$$.png
trap 'rm -f /tmp/skyfog-land.$$.png' EXIT

for i in $(seq 0 10); do
  # Shadows: a ball over pale ground, its shadow darker at each step.
  grey=$((230 - i * 21))
  convert -size 36x36 xc:'#d9dde2' -fill "rgb($grey,$grey,$grey)" -draw 'ellipse 20,28 11,4 0,360' \
    -fill '#e8b04a' -draw 'circle 14,14 14,6' -fill '#ffffff' -draw "$(bar "$i")" "skyfog-shadow-$i.png"
  # Haze: the landscape behind a white veil.
  convert /tmp/skyfog-land.$$.png -fill "rgba(235,238,242,$(echo "scale=2; $i / 11" | bc))" \
    -draw 'rectangle 0,0 35,35' -fill '#ffffff' -draw "$(bar "$i")" "skyfog-haze-$i.png"
  # Cloud height: a cloud bank higher at each step.
  y=$((28 - i * 24 / 10))
  convert -size 36x36 gradient:"$sky_top"-"$sky_low" -fill '#f4f6f8' \
    -draw "ellipse 10,$y 9,3 0,360" -draw "ellipse 24,$y 10,4 0,360" -fill "$hill" \
    -draw 'rectangle 0,31 35,35' -fill '#ffffff' -draw "$(bar "$i")" "skyfog-cloud-height-$i.png"
  # Cloud cover: more of the sky clouded at each step.
  convert -size 36x36 gradient:"$sky_top"-"$sky_low" -fill '#f4f6f8' \
    -draw "rectangle 0,4 $((i * 36 / 10)),9" -draw "rectangle $((36 - i * 36 / 10)),12 35,17" \
    -draw "rectangle 0,20 $((i * 30 / 10)),24" -fill '#ffffff' -draw "$(bar "$i")" "skyfog-cloud-cover-$i.png"
done

# Fog: the band rises with the row and thickens with the column.
for row in $(seq 0 11); do
  for column in $(seq 0 5); do
    n=$((column + 6 * row))
    top=$((33 - (row + 1) * 30 / 12))
    alpha=$(echo "scale=2; $column / 5" | bc)
    convert /tmp/skyfog-land.$$.png -fill "rgba(225,228,232,$alpha)" -draw "rectangle 0,$top 35,35" \
      -fill '#ffffff' -draw "rectangle 2,34 $((2 + column * 32 / 5)),35" "skyfog-fog-$n.png"
  done
done

# Sky modes, 40 x 44, their foot a darker band: soft, dark, custom (three bands), flat.
mode() {
  convert "$@" -fill '#20252a' -draw 'rectangle 0,36 39,43' -fill '#b8c0c8' -draw 'polygon 16,38 24,38 20,42' \
    "$out"
}
out=skyfog-mode-0.png mode -size 40x44 gradient:'#5b8fd0'-'#e6eef6'
out=skyfog-mode-1.png mode -size 40x44 gradient:'#0b1430'-'#4a5a86'
out=skyfog-mode-2.png mode -size 40x44 xc:'#d9a13f' -fill '#8a4fb3' -draw 'rectangle 13,0 26,35' \
  -fill '#3f8fb3' -draw 'rectangle 27,0 39,35'
out=skyfog-mode-3.png mode -size 40x44 xc:'#6d7f92'

# Sun and moon, 24 x 24.
convert -size 24x24 xc:'#2e3338' -fill '#ffd24a' -draw 'circle 12,12 12,5' -stroke '#ffd24a' \
  -draw 'line 12,1 12,3' -draw 'line 12,21 12,23' -draw 'line 1,12 3,12' -draw 'line 21,12 23,12' \
  skyfog-sun-moon-0.png
convert -size 24x24 xc:'#2e3338' -fill '#dfe6ee' -draw 'circle 12,12 12,4' -fill '#2e3338' \
  -draw 'circle 16,9 16,2' skyfog-sun-moon-1.png

# The randomize button (a die) and the menu button, each normal and lit.
die() {
  convert -size 24x24 xc:'#2e3338' -fill "$1" -draw 'roundrectangle 3,3 20,20 4,4' -fill '#2e3338' \
    -draw 'circle 8,8 8,6' -draw 'circle 12,12 12,10' -draw 'circle 16,16 16,14' "$2"
}
die '#a8b4c0' skyfog-randomize-0.png
die '#f2f6fa' skyfog-randomize-1.png
menu_button() {
  convert -size 24x16 xc:'#2e3338' -fill "$1" -draw 'roundrectangle 1,1 22,14 3,3' -fill '#2e3338' \
    -draw 'polygon 7,5 17,5 12,11' "$2"
}
menu_button '#a8b4c0' skyfog-menu-0.png
menu_button '#f2f6fa' skyfog-menu-1.png

# Cursor 112, a sideways two-headed arrow (hot spot 15, 15), for the program's resource file.
convert -size 32x32 xc:none -fill white -stroke black -strokewidth 1 \
  -draw 'polygon 2,15 9,8 9,12 21,12 21,8 28,15 21,22 21,18 9,18 9,22' ../../system/cursor-112.png

# The resource compiler reads 8-bit RGBA.
for f in skyfog-*.png ../../system/cursor-112.png; do convert "$f" -depth 8 "PNG32:$f"; done
