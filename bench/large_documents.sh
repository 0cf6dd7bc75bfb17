#!/usr/bin/env bash
# Times the document window on large documents, with the program's pools sized from the machine as
# the program sizes them: document_bench (Release, in build/) opens a document of N spheres (each
# with its own material) written by quarn2-scene, renders it in the window with the smallest
# optimizer, reverts it, merges a document of 3,000 spheres into it, and imports a DXF of circles
# with thickness into a new window, all on one core (taskset, QUARN2_THREADS=1). The peer run is
# 1,000 spheres and 1,000 circles; the large run 100,000 spheres and 10,000 circles. Each line gives
# wall-clock and CPU seconds; the large run's open and import add their time per object as a multiple
# of the peer's, which stays near 1 unless some step walks every object for each one. Targets: the
# 100,000-sphere document opens in under 10 s, the 10,000-circle drawing imports in under 5 s. Every
# step must succeed (exit 1 otherwise); the figures do not change the exit status.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages cmake g++ make pkg-config libgtk-3-dev libbenchmark-dev python3-ezdxf util-linux time
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUARN2_BENCH=ON >/dev/null
cmake --build build -j "${JOBS:-$(nproc)}" --target document_bench quarn2-scene >/dev/null
checkout="$PWD"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# N spheres of diameter 0.3 on a square grid in the plane z = 0, all in the camera's view.
spheres() {
  awk -v n="$1" 'BEGIN {
    side = int(sqrt(n)) + 1
    print "size 480 360"
    printf "camera from %g %g %g to %g %g 0 fov 60\n", side * 0.16, side * 0.16, -side * 0.4, side * 0.16, side * 0.16
    print "sun direction 0.6 0.5 -0.5"
    for (i = 0; i < n; ++i) printf "sphere s%d at %g %g 0 size 0.3 0.3 0.3 colour 0.8 0.3 0.2\n", i, (i % side) * 0.32, int(i / side) * 0.32
  }' > "spheres$1.txt"
  "$checkout/build/quarn2-scene" "spheres$1.txt" "spheres$1.qnc"
}

for n in 1000 3000 100000; do spheres "$n"; done
for n in 1000 10000; do /usr/bin/python3 "$checkout/tests/plugins/dxf/circles.py" "circles$n.dxf" "$n"; done

run() {  # spheres circles: the bench's lines, or the script ends when a step failed
  taskset -c 0 env QUARN2_THREADS=1 "$checkout/build/document_bench" "$PWD/spheres$1.qnc" "$PWD/spheres3000.qnc" \
    "$PWD/circles$2.dxf" | tee "run$1.txt" || { echo "a step failed" >&2; exit 1; }
}

echo "peer run: 1,000 spheres, 1,000 circles"
run 1000 1000
echo "large run: 100,000 spheres, 10,000 circles"
run 100000 10000
awk '
  FNR == 1 { large = FILENAME ~ /run100000/ }
  /^open / { if (large) open = $3; else peerOpen = $3 }
  /^import / { if (large) imported = $3; else peerImport = $3 }
  END {
    printf "open:   %.2f s wall, per object %.2f x the peer run (target < 10 s)\n", open, (open / 100000) / (peerOpen / 1000)
    printf "import: %.2f s wall, per circle %.2f x the peer run (target < 5 s)\n", imported, (imported / 10000) / (peerImport / 1000)
  }' run1000.txt run100000.txt
