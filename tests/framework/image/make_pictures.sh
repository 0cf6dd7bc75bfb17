#!/usr/bin/env bash
# Makes picture files for the reader tests in DIR with ImageMagick, netpbm and libtiff-tools, from a
# picture drawn here: colour gradients, stripes and noise, so that rows have odd lengths and both
# runs and literals occur.
#   make_pictures.sh DIR readers   the table of real files, each FILE with FILE.rgba, ImageMagick's
#                                  reading of it as 8-bit red, green, blue, alpha (see truth), and a
#                                  list "readers.txt" of "FILE ALPHA" lines, ALPHA 1 when the file
#                                  holds alpha
#   make_pictures.sh DIR small     small.tif (LZW, 2 strips), small.psd (PackBits), small.pct (PICT
#                                  with its 512-byte preamble), each with its .rgba
set -euo pipefail
dir=$1
set_name=$2
cd "$dir"

# draw WIDTH HEIGHT FILE: a binary PPM.
draw() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys
width, height, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
seed = 12345
out = bytearray(b"P6\n%d %d\n255\n" % (width, height))
for y in range(height):
    for x in range(width):
        if x < width // 3:
            pixel = (x * 255 // width, y * 255 // height, (x + y) * 3 % 256)
        elif x < 2 * width // 3:
            pixel = (200, 40, 90) if (y // 3) % 2 else (10, 220, 30)
        else:
            pixel = []
            for _ in range(3):
                seed = (seed * 1103515245 + 12345) % 2**31
                pixel.append(seed >> 16 & 255)
        out += bytes(pixel)
open(path, "wb").write(out)
PY
}

# FILE.rgba from FILE, or from the picture FILE was made from when given: ImageMagick cannot read
# back the indexed Photoshop files it writes. Photoshop files hold the merged picture first.
truth() {
  convert "${2:-$1}[0]" -depth 8 "rgba:$1.rgba"
}

# Alpha 255 in the top half, falling off to the right below it.
with_alpha() {
  convert "$1" -alpha set -channel A -fx 'j < h/2 ? 1 : (i + 1) / w' +channel "$2"
}

# Fails when netpbm's reading of a TIFF differs from ImageMagick's in red, green or blue; with ALPHA 1
# only the opaque top half counts, since the two treat transparent colours differently.
cross_check_tiff() {
  local area=()
  [ "$2" = 1 ] && area=(-crop 37x20+0+0)
  tifftopnm -quiet "$1" 2>/dev/null | convert - "${area[@]}" check.ppm
  convert "$1" -alpha off "${area[@]}" -depth 8 check-im.ppm
  [ "$(compare -metric AE check.ppm check-im.ppm null: 2>&1)" = 0 ] || { echo "tifftopnm and convert differ on $1" >&2; exit 1; }
  rm -f check.ppm check-im.ppm
}

readers() {
  draw 37 40 picture.ppm
  : > readers.txt
  convert picture.ppm -compress none base-rgb.tif
  with_alpha picture.ppm rgba.png
  convert rgba.png -define tiff:alpha=unassociated -compress none base-rgba.tif
  convert picture.ppm -colorspace gray -depth 8 -compress none base-grey.tif
  convert picture.ppm -type palette -depth 8 -compress none base-palette.tif
  tiffinfo base-palette.tif | grep -q 'Bits/Sample: 8' || { echo "the palette TIFF is not 8 bits" >&2; exit 1; }
  for colour in grey rgb rgba palette; do
    alpha=0
    [ "$colour" = rgba ] && alpha=1
    for compression in none lzw lzw:2; do
      for rows in whole 1 7; do
        for order in L B; do
          name="tiff-$colour-${compression/:/-}-$rows-$order.tif"
          strips=()
          [ "$rows" = whole ] || strips=(-r "$rows")
          tiffcp -c "$compression" "${strips[@]}" "-$order" "base-$colour.tif" "$name"
          cross_check_tiff "$name" "$alpha"
          truth "$name"
          echo "$name $alpha" >> readers.txt
        done
      done
    done
  done
  convert picture.ppm -colorspace gray -depth 8 grey.png
  convert picture.ppm -type palette -depth 8 palette.png
  for compression in none RLE; do
    for source in picture.ppm:rgb:0 rgba.png:rgba:1 grey.png:grey:0 palette.png:indexed:0; do
      IFS=: read -r file colour alpha <<< "$source"
      name="psd-$colour-$compression.psd"
      convert "$file" -depth 8 -compress "$compression" "$name"
      if [ "$colour" = indexed ]; then truth "$name" "$file"; else truth "$name"; fi
      echo "$name $alpha" >> readers.txt
    done
  done
  pnmquant 256 picture.ppm 2>/dev/null | ppmtopict > pict-indexed.pct 2>/dev/null
  convert picture.ppm PICT:pict-direct.pct
  for name in pict-indexed.pct pict-direct.pct; do
    truth "$name"
    echo "$name 0" >> readers.txt
  done
}

small() {
  draw 9 6 small.ppm
  convert small.ppm -compress none small-none.tif
  tiffcp -c lzw -r 3 small-none.tif small.tif
  convert small.ppm -depth 8 -compress RLE small.psd
  convert small.ppm PICT:small.pct
  for name in small.tif small.psd small.pct; do truth "$name"; done
}

case "$set_name" in
  readers) readers ;;
  small) small ;;
  *) echo "usage: make_pictures.sh DIR readers|small" >&2; exit 2 ;;
esac
