#!/bin/sh
# Sets up, builds and runs Konvelo. Without a phone (no --port given and no
# KONVELO_PORT), the demo phone konvelo-phonesim plays its demo scenario and
# konvelo-cli events shows the line events it produces.
set -e
cd "$(dirname "$0")/.."
./scripts/setup.sh
BUILD_DIR=build ./scripts/build.sh
exec ./scripts/demo.sh "$@"
