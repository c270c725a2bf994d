#!/bin/sh
# The demo: konvelo --demo, the program on the phone simulator playing the
# demo line (a call about every 30 seconds). With a display the window opens
# (demo folder ~/.konvelo-demo, or --home DIR). Without one it runs
# scripts/screenshots.sh: the demo under Xvfb in a fresh demo folder, with PNG
# screenshots written into KONVELO_SHOTS (default /tmp/konvelo-shots).
set -e
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
KONVELO="$BUILD_DIR/src/app/konvelo"
if [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; then
  exec "$KONVELO" --demo "$@"
fi
echo "no display: the demo runs under Xvfb and saves screenshots instead" >&2
exec ./scripts/screenshots.sh
