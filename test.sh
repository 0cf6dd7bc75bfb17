#!/usr/bin/env bash
# Builds the test tree with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test;
# installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages cmake g++ make pkg-config libgtest-dev python3

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQUARN2_TESTS=ON -DQUARN2_SANITIZE=ON >/dev/null
cmake --build build-test -j "$(nproc)"
cd build-test
ctest --output-on-failure -j "$(nproc)" "$@"
