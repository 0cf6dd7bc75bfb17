#!/usr/bin/env bash
# Builds the test tree with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test, then
# the render tests and the spool objects' thread tests once more built with ThreadSanitizer, which
# watches the render's threads;
# the tests labelled "gtk" run one at a time on a virtual display, and those labelled "fuzz" run every
# fuzzing harness once over its seeds and regression inputs (the long runs are fuzz/run.sh, which
# needs clang). Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages cmake g++ make pkg-config libgtest-dev python3 libgtk-3-dev libpng-dev libfreetype-dev fonts-dejavu-core xvfb xauth xdotool imagemagick netpbm xxd \
  ffmpeg admesh libtiff-tools clang libclang-rt-14-dev python3-ezdxf zlib1g-dev desktop-file-utils libxml2-utils \
  dbus python3-gi gir1.2-atspi-2.0 at-spi2-core
# xsetroot paints the virtual display's root window for the screen-capture check; Ghostscript reads
# the PDF that the print check prints to a file.
ensure_packages x11-xserver-utils ghostscript

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQUARN2_TESTS=ON -DQUARN2_SANITIZE=ON >/dev/null
cmake --build build-test -j "$(nproc)"
cd build-test
# A test that hangs fails after five minutes instead of holding the run.
ctest --output-on-failure --timeout 300 -j "$(nproc)" -LE gtk "$@"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure --timeout 300 -L gtk "$@"
cd ..
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DQUARN2_TESTS=ON -DQUARN2_TSAN=ON >/dev/null
cmake --build build-tsan -j "$(nproc)" --target render_tests framework_core_tests
export QUARN2_HEADLESS=1 TSAN_OPTIONS="suppressions=$PWD/tests/render/tsan.supp halt_on_error=1"
build-tsan/tests/render_tests --gtest_brief=1
build-tsan/tests/framework_core_tests --gtest_brief=1 --gtest_filter='SpoolThreads.*'
