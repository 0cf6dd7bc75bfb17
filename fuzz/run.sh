#!/usr/bin/env bash
# fuzz/run.sh [SECONDS] [NAME...]: builds the fuzzing harnesses with clang in build-fuzz/, makes their
# seeds and runs each harness named (default: all) for SECONDS (default 60) or 10 million
# executions, whichever comes first, a few at a time (QUARN2_FUZZ_JOBS, default 3). Then it prints,
# per harness, the executions, the coverage (edges and features), the slowest input, the peak memory
# and the findings. An input counts as a finding when it crashes, trips a sanitizer, leaks, runs
# longer than 1 second or asks for more than 256 MiB at once. The import plug-ins' harnesses (dxf, 3dmf,
# metafile) take inputs of up to 1 MiB, where a quadratic step shows; the others keep libFuzzer's
# default length.
# Corpora grow in build-fuzz/corpus/NAME/ from one run to the next; findings land in
# build-fuzz/findings/NAME/ and logs in build-fuzz/logs/NAME.log. Installs missing Debian packages.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages clang libclang-rt-14-dev cmake make pkg-config libgtk-3-dev imagemagick netpbm libtiff-tools python3 python3-ezdxf

seconds=${1:-60}
[ $# -gt 0 ] && shift
jobs=${QUARN2_FUZZ_JOBS:-3}
build=build-fuzz
if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for source in fuzz/*_fuzz.cpp; do
    name=$(basename "$source" .cpp)
    names+=("${name%_fuzz}")
  done
fi

cmake -S fuzz -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs" --target "${names[@]/#/fuzz_}"

rm -rf "$build/seeds"
fuzz/make_seeds.sh "$build/seeds"
for name in "${names[@]}"; do
  QUARN2_FUZZ_SEEDS="$build/seeds/$name" "$build/fuzz_$name"
  mkdir -p "$build/seeds/$name" "$build/corpus/$name" "$build/findings/$name" "$build/logs"
done

# The harnesses write each input to a file of their private folder under $TMPDIR: in memory, a busy
# disk cannot hold an input past the timeout.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
# Nor may the allocator's periodic return of freed pages to the system: on a loaded machine one such
# madvise call has stalled a single input past the timeout.
export ASAN_OPTIONS="allocator_release_to_os_interval_ms=-1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
touch "$build/logs/.start"
run() {
  local name=$1
  local regressions=() lengths=()
  [ -d "tests/fuzz/$name" ] && regressions=("tests/fuzz/$name")
  case $name in dxf | 3dmf | metafile) lengths=(-max_len=1048576) ;; esac
  "$build/fuzz_$name" "${lengths[@]}" -max_total_time="$seconds" -runs=10000000 -timeout=1 -malloc_limit_mb=256 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/findings/$name/" \
    "$build/corpus/$name" "$build/seeds/$name" "${regressions[@]}" > "$build/logs/$name.log" 2>&1 || true
}

for name in "${names[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  echo "fuzzing $name"
  run "$name" &
done
wait

stat() { grep -o "^stat::$2: *[0-9.]*" "$build/logs/$1.log" | tail -1 | awk '{print $2}'; }
printf '%-14s %12s %9s %7s %7s %9s %8s  %s\n' harness executions exec/s edges features slowest-s rss-MiB findings
for name in "${names[@]}"; do
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$build/logs/$name.log" | tail -1 || true)
  findings=$(find "$build/findings/$name" -type f -newer "$build/logs/.start" -printf '%f ')
  printf '%-14s %12s %9s %7s %7s %9s %8s  %s\n' "$name" "$(stat "$name" number_of_executed_units)" \
    "$(stat "$name" average_exec_per_sec)" "$(awk '{print $2}' <<< "$coverage")" \
    "$(awk '{print $4}' <<< "$coverage")" "$(stat "$name" slowest_unit_time_sec)" \
    "$(stat "$name" peak_rss_mb)" "${findings:-none}"
done
