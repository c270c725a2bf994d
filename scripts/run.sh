#!/bin/sh
# Sets up, builds and runs Konvelo in its demo mode: the program on the phone
# simulator (see scripts/demo.sh; without a display it runs under Xvfb and
# writes screenshots).
set -e
cd "$(dirname "$0")/.."
./scripts/setup.sh
BUILD_DIR=build ./scripts/build.sh
exec ./scripts/demo.sh "$@"
