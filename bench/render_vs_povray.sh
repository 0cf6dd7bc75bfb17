#!/usr/bin/env bash
# Times quarn2-render against POV-Ray 3.7 on one thread each (QUARN2_THREADS=1, +WT1), rendering the
# same terrain scene (a height field from a picture, a reflecting water plane, a sphere, a sun, a sky
# with ground fog; bench/terrain_scene.sh) without antialiasing into a 24-bit BMP each: a 256 × 256
# height field at 640 × 480 and at 1280 × 960, then 512 × 512 and 1024 × 1024 ones at 640 × 480 to show
# how the cost grows with the terrain. bench/threads_vs_povray.sh times both on all threads.
#
# Each render runs five times, the two programs taking turns; the best wall-clock and CPU (user +
# system) times are printed, with POV-Ray's own trace CPU time beside its total, the rays each program
# traced per second of CPU time, and the ratios ours / POV-Ray's (our whole CPU time against its trace
# time in the trace column). Target: a CPU ratio of at most 0.40 at both sizes of the 256 × 256
# terrain. The load (uptime) is printed before and after: on a busy machine compare CPU times, and
# numbers taken under load are worth a second run. Exit status 0 whatever the ratios.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/tools_build.sh imagemagick povray

runs=${RUNS:-5}

source "$checkout/bench/terrain_scene.sh"

# One scene at one size: both programs $runs times in turns, then the table's rows.
compare() {
  local n=$1 width=$2 height=$3 target=$4
  local ours_wall="" ours_cpu="" pov_wall="" pov_cpu="" pov_trace="" ours_rays=0 pov_rays=0
  for _ in $(seq "$runs"); do
    timed env QUARN2_THREADS=1 "$render_tool" "scene-$n.qnc" ours.bmp --width "$width" --height "$height" --stats
    read -r wall cpu <<<"$timing"
    ours_wall=$(min "$ours_wall" "$wall")
    ours_cpu=$(min "$ours_cpu" "$cpu")
    ours_rays=$(awk '/^total rays/ { n = $3 * ($4 == "mil" ? 1e6 : $4 == "bil" ? 1e7 : $4 == "tri" ? 1e8 : 1) }
      END { print n }' "$log")
    timed povray +WT1 -D -A "+W$width" "+H$height" "+Iscene-$n.pov" +FB +Otheirs.bmp
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
    printf "%-20s %-14s %7.3f %7.3f %9.3f %12.2f M\n", "", "povray +WT1", pw, pc, pt, prays / pc / 1e6
    printf "%-20s %-14s %7.3f %7.3f %9.3f %14s", "", "ratio", ow / pw, oc / pc, oc / pt, ""
    if (target != "") printf "  (CPU target <= %.2f)", target
    printf "\n"
  }'
}

for n in 256 512 1024; do write_scene "$n"; done
echo "load before: $(uptime)"
printf "%-20s %-14s %7s %7s %9s %14s\n" "terrain, picture" "program" "wall s" "CPU s" "trace CPU" "rays/CPU s"
compare 256 640 480 0.40
compare 256 1280 960 0.40
compare 512 640 480 ""
compare 1024 640 480 ""
echo "load after:  $(uptime)"
