#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the normal build, then
# the same suite built with the address and undefined-behaviour sanitizers,
# then the editor and effect tests and the program's quit while audio runs
# (where the audio thread meets the main thread) built with the thread
# sanitizer, then the fuzz targets for a bounded time. Exits non-zero on any
# failure.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash tools/install-deps.sh

run_suite() { # build dir, target, extra cmake args...
  local dir=$1 target=$2; shift 2
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" --target "$target"
  tools/ctest-with-services.sh "$dir" -j "$jobs"
}

echo "== Tests"
run_suite build all -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Tests with address and undefined-behaviour sanitizers"
run_suite build-asan all -DCMAKE_BUILD_TYPE=Debug -DPLENMORA_SANITIZE=ON -DPLENMORA_BENCHMARKS=OFF
echo "== Editor and effect tests and the program's quit with the thread sanitizer"
run_suite build-tsan tsan_tests -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLENMORA_TSAN=ON \
  -DPLENMORA_BENCHMARKS=OFF
if [ -x tools/run-fuzz.sh ]; then
  echo "== Fuzzing"
  tools/run-fuzz.sh
fi
echo "== All tests passed"
