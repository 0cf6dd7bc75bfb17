# What the tool benchmarks share, sourced from the checkout's top: the Debian packages they name
# installed with the build's own, the Release quarn2-scene and quarn2-render built in build/ (JOBS
# limits the build's jobs), their paths in scene_tool and render_tool, the checkout's path in
# checkout, and a scratch folder that the script runs in and that goes when it exits.
source scripts/packages.sh
ensure_packages cmake g++ make pkg-config libgtk-3-dev time "$@"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "${JOBS:-$(nproc)}" --target quarn2-scene quarn2-render >/dev/null
scene_tool="$PWD/build/quarn2-scene"
render_tool="$PWD/build/quarn2-render"

checkout="$PWD"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
