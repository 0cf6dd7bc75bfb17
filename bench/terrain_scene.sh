# The benchmarks' terrain scene, sourced by them after bench/tools_build.sh: its numbers, write_scene
# N to write scene-N.qnc and scene-N.pov for an N × N terrain, timed to run a command once into
# $timing ("wall cpu") and $log, and min.

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
