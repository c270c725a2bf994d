#!/bin/sh
# Screenshots: builds Konvelo if needed, runs its demo under Xvfb in a fresh
# demo folder (journal rows in every icon state, subscribers with every
# parameter icon, bound quick-dial buttons, the phone simulator playing the demo
# line) and saves PNG grabs of the main window, each of its pages, each page of
# the settings dialog (settings-*.png), the robot window with a list, its editor
# and its options (robot-*.png), the reminder list, the number information
# window, the export dialog, the information-fields editor
# (fields-editor.png), the subscriber dialog (subscriber-dialog.png), the search
# window, the period chooser, the statistics window and its chart, the
# talk-transfer dialog (record-dialog*.png), the alert, the window during a
# call, the phone-settings editor and the parameter transfer window into DIR
# (default /tmp/konvelo-shots), then ends.
#   scripts/screenshots.sh [DIR]
set -e
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
KONVELO="$BUILD_DIR/src/app/konvelo"
[ -x "$KONVELO" ] && [ -x "$BUILD_DIR/tools/phonesim/konvelo-phonesim" ] || \
  BUILD_DIR="$BUILD_DIR" ./scripts/build.sh
SHOTS=${1:-${KONVELO_SHOTS:-/tmp/konvelo-shots}}
HOME_DIR=$(mktemp -d /tmp/konvelo-demo.XXXXXX)
mkdir -p "$SHOTS"
echo "demo folder $HOME_DIR; screenshots go to $SHOTS" >&2
status=0
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ./scripts/with-pulse.sh \
  xvfb-run -a -s "-screen 0 1280x960x24" \
  "$KONVELO" --demo --home "$HOME_DIR" --screenshots "$SHOTS" || status=$?
ls -l "$SHOTS" >&2
exit $status
