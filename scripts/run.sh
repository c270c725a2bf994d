#!/bin/sh
# Sets up, builds and runs Konvelo. With a display and a VRX phone answering
# on a serial port, the program itself runs (base folder: --home DIR, else
# KONVELO_HOME, else the build's folder). Otherwise its demo runs: the program
# on the phone simulator (scripts/demo.sh; without a display under Xvfb,
# writing screenshots). KONVELO_DEMO=1 asks for the demo in any case.
set -e
cd "$(dirname "$0")/.."
./scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
BUILD_DIR="$BUILD_DIR" ./scripts/build.sh
if [ -z "$KONVELO_DEMO" ] && { [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; }; then
  if PORT=$("$BUILD_DIR/tools/cli/konvelo-cli" find-port 2>/dev/null); then
    echo "phone found on $PORT" >&2
    exec "$BUILD_DIR/src/app/konvelo" "$@"
  fi
  echo "no phone answered on the serial ports: running the demo" >&2
fi
exec ./scripts/demo.sh "$@"
