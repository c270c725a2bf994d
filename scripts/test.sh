#!/bin/sh
# Sets up, builds and runs every test: the unit and end-to-end suites (under a
# private PulseAudio server and the offscreen platform), the Debian package's
# checks and a short run of each fuzzer.
set -e
cd "$(dirname "$0")/.."
./scripts/setup.sh
BUILD_DIR=build ./scripts/build.sh
export QT_QPA_PLATFORM=offscreen
./scripts/with-pulse.sh ctest --test-dir build --output-on-failure -j2 --timeout 300
BUILD_DIR=build ./scripts/with-pulse.sh ./scripts/check-package.sh
# Fuzzers are built with clang in a build of their own.
[ -f build-fuzz/build.ninja ] || \
  cmake -S . -B build-fuzz -G Ninja -DKONVELO_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz
ctest --test-dir build-fuzz --output-on-failure --timeout 300
