#!/usr/bin/env bash
# make_seeds.sh DIR: the pictures among the fuzzing seeds, made with ImageMagick, netpbm and
# libtiff-tools from one small picture in every variant the readers take (and a few they refuse), the
# DXF drawings that python3-ezdxf writes and the 3D metafiles of the 3DMF plug-in's tests in their
# three forms, into DIR/NAME/ for harness NAME. The other seeds each harness writes itself with the
# program's own writers.
set -euo pipefail
out=$(realpath -m "$1")
fixtures=$(realpath "$(dirname "$0")/../tests/plugins/dxf/make_fixtures.py")
metafiles=$(realpath "$(dirname "$0")/../tests/plugins/3dmf/make_fixtures.py")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p "$out"/{bmp,tiff,photoshop,read_by_type,pict,pict_file,clipboard,dxf,3dmf,metafile}

# Odd sizes, so that rows are padded; plasma with a fixed seed is the same picture every time.
convert -size 9x6 -seed 7 plasma: picture.ppm
convert picture.ppm -alpha set -channel A -fx 'i / w' +channel alpha.png
convert picture.ppm -colorspace gray -depth 8 grey.png
convert picture.ppm -type palette -depth 8 palette.png
pnmquant 16 picture.ppm 2>/dev/null > colours16.ppm
pnmquant 2 picture.ppm 2>/dev/null > colours2.ppm

# by_type FILE CODE: the file behind its type code, as the read-by-type harness takes it.
by_type() {
  { printf "\\x$(printf %02x "$2")"; cat "$1"; } > "$out/read_by_type/$(basename "$1")"
}

bmp() {
  convert picture.ppm -compress none -type bilevel BMP3:bmp-1.bmp
  convert picture.ppm -compress none -colors 16 BMP3:bmp-4.bmp
  convert picture.ppm -compress none -type palette BMP3:bmp-8.bmp
  convert picture.ppm -compress none -type truecolor BMP3:bmp-24.bmp
  convert alpha.png -define bmp3:alpha=true BMP3:bmp-32.bmp
  convert picture.ppm -define bmp:subtype=RGB565 BMP3:bmp-16-565.bmp
  convert picture.ppm -compress RLE -type palette BMP3:bmp-8-rle.bmp
  ppmtobmp -bpp 1 colours2.ppm 2>/dev/null > bmp-netpbm-1.bmp
  ppmtobmp -bpp 4 colours16.ppm 2>/dev/null > bmp-netpbm-4.bmp
  ppmtobmp -bpp 24 picture.ppm 2>/dev/null > bmp-netpbm-24.bmp
  for file in bmp-*.bmp; do
    cp "$file" "$out/bmp/"
    by_type "$file" 3
    # A clipboard bitmap is the file without its 14-byte file header.
    tail -c +15 "$file" > "$out/clipboard/${file%.bmp}.dib"
  done
}

tiff() {
  convert picture.ppm -compress none base-rgb.tif
  convert alpha.png -define tiff:alpha=unassociated -compress none base-rgba.tif
  convert grey.png -compress none base-grey.tif
  convert palette.png -type palette -compress none base-palette.tif
  for colour in grey rgb rgba palette; do
    for compression in none lzw lzw:2; do
      for rows in whole 2; do
        for order in L B; do
          strips=()
          [ "$rows" = whole ] || strips=(-r "$rows")
          name="tiff-$colour-${compression/:/-}-$rows-$order.tif"
          tiffcp -c "$compression" "${strips[@]}" "-$order" "base-$colour.tif" "$name"
          cp "$name" "$out/tiff/"
        done
      done
    done
  done
  convert picture.ppm -compress zip tiff-zip.tif
  cp tiff-zip.tif "$out/tiff/"
  for file in tiff-rgb-lzw-2-B.tif tiff-palette-none-whole-L.tif tiff-grey-lzw-2-whole-L.tif; do by_type "$file" 5; done
}

photoshop() {
  for compression in none RLE; do
    for source in picture.ppm:rgb alpha.png:rgba grey.png:grey palette.png:indexed; do
      IFS=: read -r file colour <<< "$source"
      name="psd-$colour-$compression.psd"
      convert "$file" -depth 8 -compress "$compression" "$name"
      cp "$name" "$out/photoshop/"
    done
  done
  for file in psd-rgb-RLE.psd psd-indexed-none.psd; do by_type "$file" 1; done
}

pict() {
  ppmtopict colours16.ppm 2>/dev/null > pict-indexed.pct
  convert picture.ppm PICT:pict-direct.pct
  for file in pict-*.pct; do
    cp "$file" "$out/pict_file/"
    tail -c +513 "$file" > "$out/pict/${file%.pct}.pict"
  done
}

# The drawings of the DXF plug-in's tests, written by ezdxf with Debian's interpreter.
dxf() {
  /usr/bin/python3 "$fixtures" drawings
  cp drawings/*.dxf "$out/dxf/"
}

# The metafiles of the 3DMF plug-in's tests, but for those that only end at a bound after long work.
metafiles() {
  python3 "$metafiles" metafiles --seeds
  cp metafiles/* "$out/3dmf/"
  cp metafiles/* "$out/metafile/"
}

bmp
tiff
photoshop
pict
dxf
metafiles
