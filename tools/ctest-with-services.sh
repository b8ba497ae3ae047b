#!/usr/bin/env bash
# Runs ctest on a build folder with a private X server and JACK server.
#   tools/ctest-with-services.sh BUILD_DIR [CTEST ARGS...]
# As root, the run gets a private /dev/shm: JACK keeps its server registry and
# client sockets there, so runs side by side (or a crashed server) cannot
# interfere with each other.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$(cd "$1" && pwd); shift
# Sanitizer settings for sanitized builds (ignored by the others).
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$top/tools/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$top/tools/tsan.supp}"
if [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null; then
  exec unshare -m bash -c 'mount -t tmpfs tmpfs /dev/shm && exec "$@"' _ \
    "$top/tools/with-services.sh" ctest --test-dir "$dir" --output-on-failure "$@"
fi
exec "$top/tools/with-services.sh" ctest --test-dir "$dir" --output-on-failure "$@"
