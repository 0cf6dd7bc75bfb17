#!/usr/bin/env bash
# Builds the optimised program in build/ and starts it; installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages cmake g++ make pkg-config libgtk-3-dev libpng-dev libfreetype-dev fonts-dejavu-core xvfb xauth xdotool imagemagick zlib1g-dev

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target Quarn2
exec ./build/Quarn2 "$@"
