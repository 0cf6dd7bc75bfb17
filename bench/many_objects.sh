#!/usr/bin/env bash
# Times the tools on scenes of many simple objects: quarn2-scene writing a document of N spheres (each
# with its own material) and quarn2-render rendering it at 640 × 480 on one core, for N = 1,000 (the
# peer run) and N = 100,000. Prints wall-clock and CPU seconds (user + system) of each run, and for
# the large scene the ratio of its time per object to the peer's: near 1 while the cost grows with
# the number of objects, far above it once something walks all of them for each one. Targets for
# 100,000 objects: written in under 10 s, rendered in under 30 s. The render uses the optimizer
# choice 2 (a tree of limits 50 and 10), as a user of the program picks it for a large scene.
# Exit status 0 whatever the figures.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/tools_build.sh util-linux

# N spheres of diameter 0.3 on a square grid in the plane z = 0, all in the camera's view.
describe() {
  awk -v n="$1" 'BEGIN {
    side = int(sqrt(n)) + 1
    print "size 640 480"
    printf "camera from %g %g %g to %g %g 0 fov 60\n", side * 0.16, side * 0.16, -side * 0.4, side * 0.16, side * 0.16
    print "sun direction 0.6 0.5 -0.5"
    for (i = 0; i < n; ++i) printf "sphere s%d at %g %g 0 size 0.3 0.3 0.3 colour 0.8 0.3 0.2\n", i, (i % side) * 0.32, int(i / side) * 0.32
  }' > "scene$1.txt"
}

# "wall cpu" seconds of one run of a command on one core.
timed() {
  /usr/bin/time -f "%e %U %S" -o times.txt taskset -c 0 "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }' times.txt
}

report() {  # what, count, wall, cpu, peer wall, peer count, target
  awk -v what="$1" -v n="$2" -v wall="$3" -v cpu="$4" -v peer="$5" -v pn="$6" -v target="$7" 'BEGIN {
    printf "%-7s %6d objects: %7.2f s wall %7.2f s cpu", what, n, wall, cpu
    if (peer > 0) printf "   per object %.2f × that of %d objects", (wall / n) / (peer / pn), pn
    if (target > 0) printf "   (target < %d s)", target
    printf "\n"
  }'
}

for n in 1000 100000; do
  describe "$n"
  read -r wall cpu < <(timed "$scene_tool" "scene$n.txt" "scene$n.qnc")
  eval "write_wall_$n=$wall write_cpu_$n=$cpu"
  read -r wall cpu < <(timed env QUARN2_THREADS=1 "$render_tool" "scene$n.qnc" "scene$n.bmp" --optimizer 2)
  eval "render_wall_$n=$wall render_cpu_$n=$cpu"
done
report write 1000 "$write_wall_1000" "$write_cpu_1000" 0 0 0
report write 100000 "$write_wall_100000" "$write_cpu_100000" "$write_wall_1000" 1000 10
report render 1000 "$render_wall_1000" "$render_cpu_1000" 0 0 0
report render 100000 "$render_wall_100000" "$render_cpu_100000" "$render_wall_1000" 1000 30
