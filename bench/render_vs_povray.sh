#!/usr/bin/env bash
# Times quarn2-render against POV-Ray 3.7 on one thread, rendering the same terrain scene (a 256 × 256
# height field from a picture, a reflecting water plane, a sphere, a sun, a sky with ground fog) at
# 640 × 480 without antialiasing. Both scene files are written from the one set of numbers below.
# Each render runs three times; the best wall-clock times and their ratio (ours / POV-Ray's) are
# printed. The target is a ratio at or below 1.0. Exit status 0 whatever the ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages cmake g++ make pkg-config libgtk-3-dev imagemagick povray

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target quarn2-scene quarn2-render >/dev/null
scene_tool="$PWD/build/quarn2-scene"
render_tool="$PWD/build/quarn2-render"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The scene's numbers.
width=640 height=480
cam_from="0 14 -46" cam_to="0 4 0" fov=60
sun_dir="0.6 0.5 -0.5" sun_colour="1 0.95 0.85"
haze=6 fog=40 fog_height=80 shadows=100
land_at="0 4 0" land_size="64 12 64" land_colour="0.45 0.40 0.30"
water_y=3 water_colour="0.10 0.25 0.40" water_reflection=0.5 water_specularity=0.6
ball_at="6 9 -8" ball_size=6 ball_colour="0.80 0.15 0.10" ball_specularity=0.5
# The sky's fog lies below fog_height² × 0.0005 units; POV-Ray's ground fog thins fast above it.
fog_depth=$(awk -v h="$fog_height" 'BEGIN { print h * h * 0.0005 }')

convert -size 256x256 -seed 7 plasma:grey50-grey50 -colorspace Gray BMP3:terrain.bmp
convert terrain.bmp -colorspace Gray terrain.png

cat > scene.txt <<EOF
size $width $height
camera from $cam_from to $cam_to fov $fov
sun direction $sun_dir colour $sun_colour
sky haze $haze fog $fog fog-height $fog_height shadows $shadows
terrain land picture terrain.bmp at $land_at size $land_size colour $land_colour
plane water at 0 $water_y 0 colour $water_colour reflection $water_reflection specularity $water_specularity
sphere ball at $ball_at size $ball_size $ball_size $ball_size colour $ball_colour specularity $ball_specularity
EOF

vec() { echo "<$(echo "$*" | tr -s ' ' ',')>"; }
# Our horizontal field of view is 0.8 × fov; the height field's unit box is scaled, then centred on
# land_at.
pov_angle=$(awk -v f="$fov" 'BEGIN { print 0.8 * f }')
read -r lx ly lz <<<"$land_at"
read -r sx sy sz <<<"$land_size"
land_corner=$(awk -v x="$lx" -v y="$ly" -v z="$lz" -v a="$sx" -v b="$sy" -v c="$sz" \
  'BEGIN { printf "<%g,%g,%g>", x - a / 2, y - b / 2, z - c / 2 }')
cat > scene.pov <<EOF
#version 3.7;
global_settings { assumed_gamma 1.0 }
#default { finish { ambient 0.1965 diffuse 1 } }
camera { location $(vec $cam_from) look_at $(vec $cam_to) angle $pov_angle right x*$width/$height }
light_source { $(vec $sun_dir) * 100000 color rgb $(vec $sun_colour) parallel point_at <0,0,0> }
sky_sphere { pigment { gradient y color_map { [0 color rgb <0.95,0.97,1>] [0.3 color rgb <0.15,0.2,0.75>] } } }
fog { fog_type 2 distance 40 color rgb <0.75,0.78,0.80> fog_offset $fog_depth fog_alt 0.3 }
height_field {
  png "terrain.png" smooth
  scale $(vec $land_size) translate $land_corner
  pigment { color rgb $(vec $land_colour) }
}
plane {
  y, $water_y
  pigment { color rgb $(vec $water_colour) }
  finish { reflection $water_reflection specular $water_specularity }
}
sphere {
  $(vec $ball_at), $(awk -v s="$ball_size" 'BEGIN { print s / 2 }')
  pigment { color rgb $(vec $ball_colour) }
  finish { specular $ball_specularity }
}
EOF

"$scene_tool" scene.txt scene.qnc

# The best of three wall-clock times of a command, in seconds.
best_of_three() {
  local best="" start end took
  for _ in 1 2 3; do
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s.%N)
    took=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
    best=$(awk -v a="$best" -v b="$took" 'BEGIN { print (a == "" || b < a) ? b : a }')
  done
  echo "$best"
}

ours=$(best_of_three "$render_tool" scene.qnc ours.bmp)
theirs=$(best_of_three povray +WT1 -D -A +W$width +H$height +Iscene.pov +Otheirs.png)
awk -v a="$ours" -v b="$theirs" 'BEGIN {
  printf "quarn2-render %.2f s\npovray +WT1 %.2f s\nratio %.2f (target <= 1.00)\n", a, b, a / b
}'
