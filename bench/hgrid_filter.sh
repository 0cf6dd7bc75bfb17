#!/usr/bin/env bash
# Times the terrain editor's smoothing kernel against ImageMagick on one 1024 × 1024 16-bit grey map
# (a plasma fractal): hgrid_filter (Release, built with -DQUARN2_BENCH=ON in build/) and
# `convert -morphology Correlate` with the same kernel, each reading the map, filtering it and writing
# the result. Five turns each, the two programs taking turns; prints the best wall-clock times in
# milliseconds, hgrid_filter's own time for the filter alone, and the ratio ours / ImageMagick's
# (target at most 1.0). Exit status 0 whatever the figures. JOBS limits the build's jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages cmake g++ make pkg-config libgtk-3-dev libbenchmark-dev imagemagick

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUARN2_BENCH=ON >/dev/null
cmake --build build -j "${JOBS:-$(nproc)}" --target hgrid_filter >/dev/null
filter="$PWD/build/hgrid_filter"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
convert -seed 7 -size 1024x1024 plasma:fractal -colorspace gray -depth 16 map.pgm

kernel='3x3: 30,30,30 30,20,30 30,30,30'
# Microseconds of wall-clock time of one run; what the run prints goes to said.txt.
wall_us() {
  local start end
  start=$(date +%s%N)
  "$@" >said.txt
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

ours=999999999 theirs=999999999 inside=999999999
for turn in 1 2 3 4 5; do
  t=$(wall_us "$filter" map.pgm ours.pgm)
  if ((t < ours)); then ours=$t; fi
  alone=$(awk '{ printf "%d", $2 * 1000 }' said.txt)
  if ((alone < inside)); then inside=$alone; fi
  t=$(wall_us convert map.pgm -define convolve:scale=0.00390625 -morphology Correlate "$kernel" theirs.pgm)
  if ((t < theirs)); then theirs=$t; fi
done

awk -v ours="$ours" -v theirs="$theirs" -v inside="$inside" 'BEGIN {
  printf "hgrid_filter  %8.1f ms  (the filter alone %.3f ms)\n", ours / 1000, inside / 1000
  printf "ImageMagick   %8.1f ms\n", theirs / 1000
  printf "ratio         %8.2f     (target <= 1.00)\n", (theirs > 0 ? ours / theirs : 0)
}'
