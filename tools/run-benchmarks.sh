#!/usr/bin/env bash
# Builds the benchmarks with optimisation and runs each one, printing its
# figures. Run by hand on a quiet machine; no test depends on the results.
#   tools/run-benchmarks.sh [NAME...]   (default: all of them)
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPLENMORA_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)"
names=("$@")
[ ${#names[@]} -gt 0 ] ||
  names=(plenmora_bench app_callback_bench app_startup_bench app_runtime_probe lice_bench
    bench_swell_gdi editor_bench editor_cpu_harness swell_ini_bench)
for name in "${names[@]}"; do
  exe=$(find build-bench/benchmarks -type f -name "$name" -perm -u+x | head -n 1)
  [ -n "$exe" ] || { echo "run-benchmarks: no benchmark named $name" >&2; exit 1; }
  echo "== $name"
  # The host's benchmarks need the X and JACK servers; the others ignore them.
  # As root each gets a private /dev/shm, where JACK keeps its registry and
  # sockets, as the tests do.
  if [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null; then
    unshare -m bash -c 'mount -t tmpfs tmpfs /dev/shm && exec "$@"' _ tools/with-services.sh "$exe"
  else
    tools/with-services.sh "$exe"
  fi
done
