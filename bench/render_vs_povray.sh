#!/usr/bin/env bash
# Times quarn2-render against POV-Ray 3.7 on one thread, rendering the same terrain scene (a height
# field from a picture, a reflecting water plane, a sphere, a sun, a sky with ground fog) without
# antialiasing: a 256 × 256 height field at 640 × 480 and at 1280 × 960, then 512 × 512 and
# 1024 × 1024 ones at 640 × 480 to show how the cost grows with the terrain. Both scene files are
# written from the one set of numbers below.
#
# Each render runs five times, the two programs taking turns; the best wall-clock and CPU (user +
# system) times are printed, with POV-Ray's start-up (its CPU time outside its trace) apart, the rays
# each program traced per second of CPU time, and the ratio of CPU times, ours / POV-Ray's. Targets:
# at most 0.50 at 640 × 480 and 0.60 at 1280 × 960. Exit status 0 whatever the ratios.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/tools_build.sh imagemagick povray

runs=5

# The scene's numbers.
cam_from="0 14 -46" cam_to="0 4 0" fov=60
sun_dir="0.6 0.5 -0.5" sun_colour="1 0.95 0.85"
haze=6 fog=40 fog_height=80 shadows=100
land_at="0 4 0" land_size="64 12 64" land_colour="0.45 0.40 0.30"
water_y=3 water_colour="0.10 0.25 0.40" water_reflection=0.5 water_specularity=0.6
ball_at="6 9 -8" ball_size=6 ball_colour="0.80 0.15 0.10" ball_specularity=0.5
# The sky's fog lies below fog_height² × 0.0005 units; POV-Ray's ground fog thins fast above it.
fog_depth=$(awk -v h="$fog_height" 'BEGIN { print h * h * 0.0005 }')

vec() { echo "<$(echo "$*" | tr -s ' ' ',')>"; }
# Our horizontal field of view is 0.8 × fov; the height field's unit box is scaled, then centred on
# land_at.
pov_angle=$(awk -v f="$fov" 'BEGIN { print 0.8 * f }')
read -r lx ly lz <<<"$land_at"
read -r sx sy sz <<<"$land_size"
land_corner=$(awk -v x="$lx" -v y="$ly" -v z="$lz" -v a="$sx" -v b="$sy" -v c="$sz" \
  'BEGIN { printf "<%g,%g,%g>", x - a / 2, y - b / 2, z - c / 2 }')

# Both scene files for a terrain of side n × n, as scene-n.qnc and scene-n.pov.
write_scene() {
  local n=$1
  convert -size "${n}x${n}" -seed 7 plasma:grey50-grey50 -colorspace Gray "BMP3:terrain-$n.bmp"
  convert "terrain-$n.bmp" -colorspace Gray "terrain-$n.png"
  cat > "scene-$n.txt" <<EOF
camera from $cam_from to $cam_to fov $fov
sun direction $sun_dir colour $sun_colour
sky haze $haze fog $fog fog-height $fog_height shadows $shadows
terrain land picture terrain-$n.bmp at $land_at size $land_size colour $land_colour
plane water at 0 $water_y 0 colour $water_colour reflection $water_reflection specularity $water_specularity
sphere ball at $ball_at size $ball_size $ball_size $ball_size colour $ball_colour specularity $ball_specularity
EOF
  "$scene_tool" "scene-$n.txt" "scene-$n.qnc"
  cat > "scene-$n.pov" <<EOF
#version 3.7;
global_settings { assumed_gamma 1.0 }
#default { finish { ambient 0.1965 diffuse 1 } }
camera { location $(vec $cam_from) look_at $(vec $cam_to) angle $pov_angle right x*image_width/image_height }
light_source { $(vec $sun_dir) * 100000 color rgb $(vec $sun_colour) parallel point_at <0,0,0> }
sky_sphere { pigment { gradient y color_map { [0 color rgb <0.95,0.97,1>] [0.3 color rgb <0.15,0.2,0.75>] } } }
fog { fog_type 2 distance $fog color rgb <0.75,0.78,0.80> fog_offset $fog_depth fog_alt 0.3 }
height_field {
  png "terrain-$n.png" smooth
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
}

# Runs a command once: "wall cpu" in seconds into $timing; its standard output and error into $log.
# The shell's own timing keeps milliseconds, where time(1) rounds to hundredths: at 640 × 480 a
# hundredth is a twentieth of our render.
timed() {
  log=$(mktemp -p "$work")
  local TIMEFORMAT="%3R %3U %3S"
  { time "$@" >"$log" 2>&1; } 2>"$log.time" || { cat "$log" >&2; echo "failed: $*" >&2; exit 1; }
  timing=$(awk '{ printf "%.3f %.3f", $1, $2 + $3 }' "$log.time")
}

min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

# One scene at one size: both programs $runs times in turns, then the table's rows.
compare() {
  local n=$1 width=$2 height=$3 target=$4
  local ours_wall="" ours_cpu="" pov_wall="" pov_cpu="" pov_trace="" ours_rays=0 pov_rays=0
  for _ in $(seq "$runs"); do
    timed "$render_tool" "scene-$n.qnc" ours.bmp --width "$width" --height "$height" --stats
    read -r wall cpu <<<"$timing"
    ours_wall=$(min "$ours_wall" "$wall")
    ours_cpu=$(min "$ours_cpu" "$cpu")
    ours_rays=$(awk '/^total rays/ { n = $3 * ($4 == "mil" ? 1e6 : $4 == "bil" ? 1e7 : $4 == "tri" ? 1e8 : 1) }
      END { print n }' "$log")
    timed povray +WT1 -D -A "+W$width" "+H$height" "+Iscene-$n.pov" +Otheirs.png
    read -r wall cpu <<<"$timing"
    pov_wall=$(min "$pov_wall" "$wall")
    pov_cpu=$(min "$pov_cpu" "$cpu")
    pov_trace=$(min "$pov_trace" "$(awk '/Trace Time:/ { trace = 1 } trace && /CPU-seconds total/ { print $(NF - 2); exit }' "$log")")
    pov_rays=$(awk '/^Rays:/ { r = $2 } /^Shadow Ray Tests:/ { s = $4 } END { print r + s }' "$log")
  done
  awk -v n="$n" -v w="$width" -v h="$height" -v ow="$ours_wall" -v oc="$ours_cpu" -v orays="$ours_rays" \
    -v pw="$pov_wall" -v pc="$pov_cpu" -v pt="$pov_trace" -v prays="$pov_rays" -v target="$target" 'BEGIN {
    scene = sprintf("%dx%d at %dx%d", n, n, w, h)
    printf "%-20s %-14s %7.3f %7.3f %9s %12.2f M\n", scene, "quarn2-render", ow, oc, "-", orays / oc / 1e6
    printf "%-20s %-14s %7.3f %7.3f %9.3f %12.2f M\n", "", "povray +WT1", pw, pc, pc - pt, prays / pc / 1e6
    printf "%-20s %-14s %7.3f %7.3f %9s %14s", "", "ratio", ow / pw, oc / pc, "", ""
    if (target != "") printf "  (CPU target <= %.2f)", target
    printf "\n"
  }'
}

for n in 256 512 1024; do write_scene "$n"; done
printf "%-20s %-14s %7s %7s %9s %14s\n" "terrain, picture" "program" "wall s" "CPU s" "start-up" "rays/CPU s"
compare 256 640 480 0.50
compare 256 1280 960 0.60
compare 512 640 480 ""
compare 1024 640 480 ""
