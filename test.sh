#!/usr/bin/env bash
# Builds the test tree with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test: the
# headless ones, then those labelled "gtk" side by side, each on a virtual display of its own
# (tests/gtk_display.sh), then those labelled "tsan" (the render's and the spool objects' threads) once
# more built with ThreadSanitizer, which watches their threads. Those labelled "fuzz" run every fuzzing
# harness once over its seeds and regression inputs (the long runs are fuzz/run.sh, which needs clang).
# Says how long each stage took. Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages cmake g++ make pkg-config libgtest-dev python3 libgtk-3-dev libpng-dev libfreetype-dev fonts-dejavu-core xvfb xauth xdotool imagemagick netpbm xxd \
  ffmpeg admesh libtiff-tools clang libclang-rt-14-dev python3-ezdxf zlib1g-dev desktop-file-utils libxml2-utils \
  dbus python3-gi gir1.2-atspi-2.0 at-spi2-core
# xsetroot paints the virtual display's root window for the screen-capture check; Ghostscript reads
# the PDF that the print check prints to a file; lld links the test programs.
ensure_packages x11-xserver-utils ghostscript lld

jobs="$(nproc)"
started=$SECONDS
stage() {  # stage NAME COMMAND...: runs the command and says how long it took
  local name="$1" start=$SECONDS
  shift
  "$@"
  echo "== $name: $((SECONDS - start)) s"
}

stage "build" bash -c "cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQUARN2_TESTS=ON -DQUARN2_SANITIZE=ON >/dev/null &&
  cmake --build build-test -j $jobs"
# A test that hangs fails after five minutes instead of holding the run. The tests of the real back end
# mostly wait for windows, but more of them than processors starve the programs they start.
stage "headless tests" ctest --test-dir build-test --output-on-failure --timeout 300 -j "$jobs" -LE gtk "$@"
stage "GTK tests" ctest --test-dir build-test --output-on-failure --timeout 300 -j "$jobs" -L gtk "$@"
stage "ThreadSanitizer build" bash -c "cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DQUARN2_TESTS=ON -DQUARN2_TSAN=ON >/dev/null &&
  cmake --build build-tsan -j $jobs --target tsan_tests"
QUARN2_HEADLESS=1 TSAN_OPTIONS="suppressions=$PWD/tests/render/tsan.supp halt_on_error=1" \
  stage "ThreadSanitizer tests" ctest --test-dir build-tsan --output-on-failure --timeout 300 -j "$jobs" -L tsan -LE gtk "$@"
echo "== everything: $((SECONDS - started)) s"
