#!/usr/bin/env bash
# Installs what is needed, builds Plenmora and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLENMORA_TESTS=OFF -DPLENMORA_BENCHMARKS=OFF >/dev/null
cmake --build build -j "$(nproc)" --target Plenmora
exec build/app_wrapper/Plenmora "$@"
