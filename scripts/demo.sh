#!/bin/sh
# The demo: konvelo --demo, the program on the phone simulator playing the
# demo line (a call about every 30 seconds). With a display the window opens
# (demo folder ~/.konvelo-demo, or --home DIR). Without one the program runs
# under Xvfb in a fresh demo folder, and PNG screenshots of the main window and
# of the alert are written into KONVELO_SHOTS (default /tmp/konvelo-shots).
set -e
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
KONVELO="$BUILD_DIR/src/app/konvelo"
if [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; then
  exec "$KONVELO" --demo "$@"
fi
SHOTS=${KONVELO_SHOTS:-/tmp/konvelo-shots}
HOME_DIR=$(mktemp -d /tmp/konvelo-demo.XXXXXX)
mkdir -p "$SHOTS"
echo "no display: running the demo under Xvfb in $HOME_DIR; screenshots go to $SHOTS" >&2
status=0
./scripts/with-pulse.sh xvfb-run -a -s "-screen 0 1280x960x24" \
  "$KONVELO" --demo --home "$HOME_DIR" --screenshots "$SHOTS" "$@" || status=$?
ls -l "$SHOTS" >&2
exit $status
