#!/bin/sh
# Runs every fuzzer for SECONDS (default 600) each.
set -e
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-600}
./scripts/setup.sh
[ -f build-fuzz/build.ninja ] || \
  cmake -S . -B build-fuzz -G Ninja -DKONVELO_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz
for f in build-fuzz/tests/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  mkdir -p "tests/fuzz/corpus/$name"
  "$f" -max_total_time="$SECONDS_EACH" -rss_limit_mb=2048 "tests/fuzz/corpus/$name"
done
