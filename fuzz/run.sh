#!/bin/sh
# Builds the JPEG fuzzer with clang in build-fuzz, makes its seed corpus from the slides and runs
# it. Usage: fuzz/run.sh [SECONDS] (default 60). Crashing inputs land in build-fuzz/fuzz/.
set -eu
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build-fuzz}
SECONDS_TO_RUN=${1:-60}

cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DBRELINDE_FUZZ=ON -DBRELINDE_SANITIZE=ON \
  -DBRELINDE_QT=OFF -DBRELINDE_TESTS=OFF -DBRELINDE_BENCH=OFF
cmake --build "$BUILD" -j2 --target jpeg_fuzz make_fuzz_seeds

out="$BUILD/fuzz"
mkdir -p "$out/seeds" "$out/corpus"
"$out/make_fuzz_seeds" "$out/seeds"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "$out/jpeg_fuzz" -max_total_time="$SECONDS_TO_RUN" -rss_limit_mb=2048 -timeout=30 \
  -print_final_stats=1 -artifact_prefix="$out/" "$out/corpus" "$out/seeds"
