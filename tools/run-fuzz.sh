#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (address and undefined-
# behaviour sanitizers, leak checks) and runs each for a bounded time over
# its seed corpus. Exits non-zero on a crash, a sanitizer report, a leak, or
# more than 512 MB of memory taken by one input (the loader caps an image at
# 256 MB).
#   FUZZ_SECONDS  time per target (default 60)
#   FUZZ_DIR      build and corpus folder (default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${FUZZ_SECONDS:-60}
out=${FUZZ_DIR:-build-fuzz}
cxx=${FUZZ_CXX:-clang++}
mkdir -p "$out"

flags=(-std=c++17 -g -O1 -fno-omit-frame-pointer -IWDL -IWDL/lice -IWDL/swell -Itests/lice/support
  -Ifuzz/png)
read -r -a png_flags <<<"$(pkg-config --cflags --libs libpng)"

# The raster library and the resource folder lookup as an archive, so that
# the target links only the objects it uses.
echo "fuzz: building the raster library with sanitizers"
objs="$out/obj"
rm -rf "$objs"
mkdir -p "$objs"
san=(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined)
read -r -a gtk_flags <<<"$(pkg-config --cflags gtk+-3.0)"
pids=()
for src in WDL/lice/*.cpp WDL/swell/swell-resources.cpp; do
  "$cxx" "${flags[@]}" "${gtk_flags[@]}" "${san[@]}" -c "$src" \
    -o "$objs/$(basename "$src" .cpp).o" &
  pids+=($!)
  if [ ${#pids[@]} -ge 4 ]; then
    wait "${pids[0]}"
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid"; done
rm -f "$out/liblice_fuzz.a"
ar rcs "$out/liblice_fuzz.a" "$objs"/*.o

echo "fuzz: building png target"
"$cxx" "${flags[@]}" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  fuzz/png/png_fuzz_target.cpp "$out/liblice_fuzz.a" "${png_flags[@]}" -o "$out/png_fuzz"
"$cxx" "${flags[@]}" fuzz/png/make_png_seeds.cpp fuzz/png/png_seeds.cpp \
  tests/lice/support/lice_png_writer.cpp "${png_flags[@]}" -lz -o "$out/make_png_seeds"

rm -rf "$out/png_seeds"
mkdir -p "$out/png_seeds" "$out/png_corpus"
"$out/make_png_seeds" "$out/png_seeds"

echo "fuzz: running png target for ${secs}s"
log="$out/png_fuzz.log"
status=0
ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:quarantine_size_mb=32:${ASAN_OPTIONS_EXTRA:-}" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  "$out/png_fuzz" -max_total_time="$secs" -timeout=20 -rss_limit_mb=512 \
  -artifact_prefix="$out/png_" -print_final_stats=1 \
  "$out/png_corpus" "$out/png_seeds" >"$log" 2>&1 || status=$?
# libpng reports every malformed input on standard error; show only the
# fuzzer's own lines unless something failed.
if [ "$status" -ne 0 ]; then
  echo "fuzz: png target FAILED (exit $status); end of $log:" >&2
  tail -n 80 "$log" >&2
  exit 1
fi
grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb|Done [0-9]+ runs)' "$log" || true
echo "fuzz: png target passed"
