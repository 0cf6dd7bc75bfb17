#!/usr/bin/env bash
# The training run of a profile-guided Release build: quarn2-scene and quarn2-render built with
# counters write and render a few small scenes that go the ways the benchmarks and a user's renders
# go (a terrain with water, sun, haze, fog and shadows; a few thousand spheres; every kind of shape
# with glass, mirrors, metal, lamps and clouds; an antialiased render), so that the optimised build
# lays out and inlines their code for what runs most. The counters go where the tools were built to
# write them. Usage: pgo_train.sh SCENE_TOOL RENDER_TOOL [FOLDER], FOLDER keeping the scenes and
# pictures (else they go with a temporary folder).
set -euo pipefail
scene_tool=$(realpath "$1") render_tool=$(realpath "$2")
if [ -n "${3:-}" ]; then
  work=$3
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
cd "$work"

cat > terrain.txt <<'SCENE'
camera from 0 14 -46 to 0 4 0 fov 60
sun direction 0.6 0.5 -0.5 colour 1 0.95 0.85
sky haze 6 fog 40 fog-height 80 shadows 100
terrain land generate 7 at 0 4 0 size 64 12 64 colour 0.45 0.40 0.30
plane water at 0 3 0 colour 0.10 0.25 0.40 reflection 0.5 specularity 0.6
sphere ball at 6 9 -8 size 6 6 6 colour 0.80 0.15 0.10 specularity 0.5
SCENE

awk 'BEGIN {
  n = 3000; side = int(sqrt(n)) + 1
  printf "camera from %g %g %g to %g %g 0 fov 60\n", side * 0.16, side * 0.16, -side * 0.4, side * 0.16, side * 0.16
  print "sun direction 0.6 0.5 -0.5"
  for (i = 0; i < n; ++i) printf "sphere s%d at %g %g 0 size 0.3 0.3 0.3 colour 0.8 0.3 0.2\n", i, (i % side) * 0.32, int(i / side) * 0.32
}' > spheres.txt

cat > shapes.txt <<'SCENE'
camera from 0 6 -16 to 0 1.5 0 fov 60
sun direction -0.4 0.7 -0.6
sky haze 10 shadows 50 clouds on
plane ground at 0 0 0 colour 0.5 0.6 0.4
sphere glass at -4 1.5 0 size 3 3 3 flags 4
cube block at 0 1 2 size 2 2 2 rotate 0 30 0 colour 0.3 0.5 0.8 transparency 0.6 refraction 1.5 flags 2
torus ring at 4 0.5 0 size 3 1 3 colour 0.9 0.8 0.3 reflection 0.6 metallicity 0.7 metal-exponent 4
cone peak at -2 1 4 colour 0.7 0.2 0.2 specularity 0.8 spec-exponent 20
cylinder post at 2 1 4 size 1 2 1 colour 0.6 0.6 0.6
pyramid tent at 0 0.5 -3 colour 0.8 0.6 0.3
disk pad at -5 0.01 -3 size 2 0 2 colour 0.2 0.2 0.2 reflection 0.3
square tile at 5 0.01 -3 size 2 0 2 colour 0.9 0.9 0.9
sphere hull at 0 1 6 size 2 2 2
cube bite at 0.6 1.6 5.4 size 1.2 1.2 1.2
group nut boolean +hull -bite
light spot lamp at 0 8 -2 size 1 4 1 rotate 20 0 0 intensity 12
light radial bulb at -3 4 -4 colour 1 0.9 0.7 intensity 6
SCENE

for scene in terrain spheres shapes; do "$scene_tool" "$scene.txt" "$scene.qnc"; done
export QUARN2_THREADS=1
"$render_tool" terrain.qnc terrain.bmp --width 480 --height 360 2>/dev/null
"$render_tool" spheres.qnc spheres.bmp --width 320 --height 240 2>/dev/null
"$render_tool" shapes.qnc shapes.bmp --width 320 --height 240 2>/dev/null
"$render_tool" shapes.qnc shapes-aa.bmp --width 160 --height 120 --aa 3 2>/dev/null
