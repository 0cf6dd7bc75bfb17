#!/usr/bin/env bash
# Times the tools on scenes of many simple objects against POV-Ray 3.7 on the same spheres: for
# N = 1,000 (the peer run) and N = 100,000, quarn2-scene writing a document of N spheres (each with its
# own material), then quarn2-render (one thread, QUARN2_THREADS=1, its default tree) and povray +WT1
# rendering them at 640 × 480 into a 24-bit BMP, everything on one core (taskset -c 0). Each render
# runs three times, the two programs taking turns; the best wall-clock and CPU (user + system) seconds
# are printed, with POV-Ray's own parse and trace CPU seconds beside its total, the ratio ours / POV-Ray's
# for the 100,000 spheres, and for our large runs the time per object as a multiple of the 1,000-object
# run's, which stays near or below 1 unless some step walks every object for each one. Render lines
# end with the largest peak memory (resident set) of their runs. PEER_RENDER=path/to/quarn2-render
# times another build's tool on the same documents in the same turns (a branch against main, say) and
# says whether its pictures are the same. Targets for 100,000 spheres: written in under 3 s, and
# rendered in no more time than POV-Ray takes. The load (uptime) is printed before and after; on a
# busy machine compare CPU times. Exit status 0 whatever the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/tools_build.sh util-linux povray

runs=${RUNS:-3}

# N spheres of diameter 0.3 on a square grid in the plane z = 0, all in the camera's view, as a scene
# description and as a .pov file. Our horizontal field of view is 0.8 × fov; the sky is the
# description's default, a gradient as the .pov file has it.
describe() {
  awk -v n="$1" -v scene="scene$1.txt" -v pov="scene$1.pov" 'BEGIN {
    side = int(sqrt(n)) + 1
    cx = side * 0.16; cy = side * 0.16; cz = -side * 0.4
    print "size 640 480" > scene
    printf "camera from %g %g %g to %g %g 0 fov 60\n", cx, cy, cz, cx, cy > scene
    print "sun direction 0.6 0.5 -0.5" > scene
    print "#version 3.7;\nglobal_settings { assumed_gamma 1.0 }" > pov
    print "#default { finish { ambient 0.1965 diffuse 1 } }" > pov
    printf "camera { location <%g,%g,%g> look_at <%g,%g,0> angle 48 right x*image_width/image_height }\n", cx, cy, cz, cx, cy > pov
    print "light_source { <0.6,0.5,-0.5> * 100000 color rgb 1 parallel point_at <0,0,0> }" > pov
    print "sky_sphere { pigment { gradient y color_map { [0 color rgb <0.95,0.97,1>] [0.3 color rgb <0.15,0.2,0.75>] } } }" > pov
    for (i = 0; i < n; ++i) {
      x = (i % side) * 0.32; y = int(i / side) * 0.32
      printf "sphere s%d at %g %g 0 size 0.3 0.3 0.3 colour 0.8 0.3 0.2\n", i, x, y > scene
      printf "sphere { <%g,%g,0>, 0.15 pigment { color rgb <0.8,0.3,0.2> } }\n", x, y > pov
    }
  }'
}

# "wall cpu peak-MB" of one run of a command on one core, its output in $log.
timed() {
  log=$(mktemp -p "$work")
  local TIMEFORMAT="%3R %3U %3S"
  { time /usr/bin/time -f %M -o "$log.peak" taskset -c 0 "$@" >"$log" 2>&1; } 2>"$log.time" ||
    { cat "$log" >&2; echo "failed: $*" >&2; exit 1; }
  awk -v kb="$(cat "$log.peak")" '{ printf "%.3f %.3f %.0f\n", $1, $2 + $3, kb / 1024 }' "$log.time"
}

min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
max() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b > a) ? b : a }'; }

# Keeps the best wall and CPU seconds and the largest peak memory of program $1 on $2 spheres.
keep() {
  wall[$1 $2]=$(min "${wall[$1 $2]:-}" "$3") cpu[$1 $2]=$(min "${cpu[$1 $2]:-}" "$4")
  peak[$1 $2]=$(max "${peak[$1 $2]:-}" "$5")
}

# POV-Ray's CPU seconds of one phase of its statistics ("Parse", "Trace").
pov_phase() { awk -v phase="$1 Time:" '$0 ~ phase { found = 1 } found && /CPU-seconds total/ { print $(NF - 2); exit }' "$log"; }

declare -A wall cpu peak parse trace same
echo "load before: $(uptime)"
for n in 1000 100000; do
  describe "$n"
  read -r w c _ < <(timed "$scene_tool" "scene$n.txt" "scene$n.qnc")
  wall[write $n]=$w cpu[write $n]=$c
  for _ in $(seq "$runs"); do
    read -r w c m < <(timed env QUARN2_THREADS=1 "$render_tool" "scene$n.qnc" "ours$n.bmp")
    keep ours "$n" "$w" "$c" "$m"
    if [ -n "${PEER_RENDER:-}" ]; then
      read -r w c m < <(timed env QUARN2_THREADS=1 "$PEER_RENDER" "scene$n.qnc" "peer$n.bmp")
      keep peer "$n" "$w" "$c" "$m"
      cmp -s "ours$n.bmp" "peer$n.bmp" && same[$n]="same picture" || same[$n]="DIFFERENT picture"
    fi
    timed povray +WT1 -D -A +W640 +H480 "+Iscene$n.pov" +FB "+Otheirs$n.bmp" >"$work/times"
    read -r w c m <"$work/times"
    keep pov "$n" "$w" "$c" "$m"
    parse[$n]=$(min "${parse[$n]:-}" "$(pov_phase Parse)") trace[$n]=$(min "${trace[$n]:-}" "$(pov_phase Trace)")
  done
done
echo "load after:  $(uptime)"

row() {  # what, count, wall, cpu, extra text
  printf "%-22s %7d %8.2f %8.2f   %s\n" "$1" "$2" "$3" "$4" "${5:-}"
}
per_object() {  # the large run's time per object as a multiple of the peer's
  awk -v a="$1" -v b="$2" 'BEGIN { printf "per object %.2f × that of 1,000", (a / 100000) / (b / 1000) }'
}
ratio() { awk -v a="$1" -v b="$2" -v what="$3" 'BEGIN { printf "ours / POV-Ray %.2f %s", a / b, what }'; }

printf "\n%-22s %7s %8s %8s   %s\n" "best of $runs, one core" "spheres" "wall s" "CPU s" ""
row "quarn2-scene (write)" 1000 "${wall[write 1000]}" "${cpu[write 1000]}"
row "quarn2-scene (write)" 100000 "${wall[write 100000]}" "${cpu[write 100000]}" \
  "$(per_object "${wall[write 100000]}" "${wall[write 1000]}")   (target < 3 s wall)"
for n in 1000 100000; do
  extra="peak ${peak[ours $n]} MB"
  [ "$n" = 100000 ] && extra="$extra, $(per_object "${cpu[ours 100000]}" "${cpu[ours 1000]}")"
  row "quarn2-render" "$n" "${wall[ours $n]}" "${cpu[ours $n]}" "$extra"
  if [ -n "${PEER_RENDER:-}" ]; then
    row "peer quarn2-render" "$n" "${wall[peer $n]}" "${cpu[peer $n]}" "peak ${peak[peer $n]} MB, ${same[$n]}"
  fi
  row "povray +WT1" "$n" "${wall[pov $n]}" "${cpu[pov $n]}" \
    "peak ${peak[pov $n]} MB, parse ${parse[$n]} s, trace ${trace[$n]} s CPU"
done
echo "100,000 spheres rendered: $(ratio "${wall[ours 100000]}" "${wall[pov 100000]}" "wall"), $(ratio \
  "${cpu[ours 100000]}" "${cpu[pov 100000]}" "CPU")   (target <= 1)"
if [ -n "${PEER_RENDER:-}" ]; then
  awk -v a="${cpu[ours 100000]}" -v b="${cpu[peer 100000]}" -v m="${peak[ours 100000]}" -v p="${peak[peer 100000]}" \
    'BEGIN { printf "100,000 spheres against the peer build: CPU %.2f, peak memory %d / %d MB\n", a / b, m, p }'
fi
