#!/usr/bin/env bash
# Times the import plug-ins on inputs crafted to make them slow, against peers of about the same size
# that import the ordinary way (bench/crafted_imports.py writes both): a NURB curve whose order is its
# 10,000 points, a polygon comb of 80,000 vertices, a comb of 20,000 vertices placed by 20 References,
# a DXF comb of 19,990 vertices in a block inserted 50 times, a DXF text whose 1 MB shape font claims
# 9,999 items for every shape, and 1 MB of triangles or small polygons. Builds import_bench (Release,
# -DQUARN2_BENCH=ON, in build/) and runs it on one core (taskset -c 0), best of three: wall-clock and
# CPU seconds, the longest wait between two progress reports, peak memory, and the CPU ratio to the
# peer of the same plug-in. Targets: every crafted input under 1 s of CPU and of wall-clock time, and
# no wait between reports over 0.1 s (the host serves its queue every half second). Then each crafted
# input is cancelled a few milliseconds in, and the time from the cancel to the plug-in's return is
# printed (target under 0.1 s). Exits 0 whatever the figures; JOBS limits the build's jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages cmake g++ make pkg-config libgtk-3-dev libbenchmark-dev python3

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUARN2_BENCH=ON >/dev/null
cmake --build build -j "${JOBS:-$(nproc)}" --target import_bench >/dev/null
bench="$PWD/build/import_bench"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 bench/crafted_imports.py "$work"
cd "$work"

# The line of the best of three runs (least CPU).
best() {
  local line best_line="" best_cpu=""
  for _ in 1 2 3; do
    line=$(taskset -c 0 "$bench" "$@")
    cpu=$(awk '{for (i = 1; i < NF; i++) if ($i == "cpu") print $(i + 1)}' <<< "$line")
    if [ -z "$best_cpu" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then
      best_cpu=$cpu
      best_line=$line
    fi
  done
  echo "$best_line"
}
cpu_of() { awk '{for (i = 1; i < NF; i++) if ($i == "cpu") print $(i + 1)}' <<< "$1"; }

echo "load before: $(uptime)"
peer_3dmf=$(best peer-triangles.b3d)
peer_dxf=$(best peer-polygons.dxf)
echo "$peer_3dmf"
echo "$peer_dxf"
for file in nurb-curve.b3d comb.b3d references.b3d block-comb.dxf shape-font.dxf; do
  line=$(best "$file")
  peer=$([ "${file##*.}" = dxf ] && echo "$peer_dxf" || echo "$peer_3dmf")
  ratio=$(awk -v a="$(cpu_of "$line")" -v b="$(cpu_of "$peer")" 'BEGIN { printf "%.1f", (b > 0 ? a / b : 0) }')
  echo "$line  cpu ratio to peer $ratio"
done
echo "cancelled 5 ms in:"
for file in comb.b3d references.b3d block-comb.dxf; do taskset -c 0 "$bench" --cancel=0.005 "$file"; done
echo "load after: $(uptime)"
