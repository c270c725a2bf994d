#!/bin/sh
# Builds the Debian package build/konvelo_<version>_<arch>.deb (set BUILD_DIR
# to change the build folder) and prints its path.
#   scripts/package.sh    then    sudo apt install ./build/konvelo_*.deb
set -e
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
[ -f "$BUILD_DIR/build.ninja" ] || cmake -S . -B "$BUILD_DIR" -G Ninja
cmake --build "$BUILD_DIR" --target package >&2
ls -t "$BUILD_DIR"/konvelo_*.deb | head -n 1
