#!/usr/bin/env bash
# The mesh document round of the app tests (tests/app/mesh_document_test.cpp) many times in a row, in
# the test build that test.sh makes (AddressSanitizer and UndefinedBehaviorSanitizer): a DXF of 400
# circles with thickness imported, previewed by the control palette, rendered, duplicated and saved
# with Save As, and the saved file reopened and rendered on one thread and on eight, which must give
# the same picture. ROUNDS (default 20) sets the rounds, JOBS the build's jobs; the other mesh
# document tests (lock counts after every kind of render, a fourteen-mesh document previewed twenty
# times) run once beside them. Exits with the tests' status.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages cmake g++ make pkg-config libgtest-dev libgtk-3-dev python3 python3-ezdxf

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQUARN2_TESTS=ON -DQUARN2_SANITIZE=ON >/dev/null
cmake --build build-test -j "${JOBS:-$(nproc)}" --target app_tests >/dev/null
QUARN2_HEADLESS=1 QUARN2_MESH_ROUNDS="${ROUNDS:-20}" ASAN_OPTIONS=detect_leaks=1 \
  build-test/tests/app_tests --gtest_filter='MeshDocument.*'
