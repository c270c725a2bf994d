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
#   scripts/screenshots.sh --docs   refreshes the user's guide's pictures: the
#                                   shots the pages under docs/ name are copied
#                                   into docs/images (commit them).
set -e
cd "$(dirname "$0")/.."
DOCS=""
if [ "$1" = "--docs" ]; then
  DOCS=1
  shift
  set -- "$(mktemp -d /tmp/konvelo-docshots.XXXXXX)"
fi
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
if [ -n "$DOCS" ] && [ $status -eq 0 ]; then
  for name in $(grep -oh 'images/[a-z0-9-]*\.png' docs/*.md | sort -u); do
    if [ -f "$SHOTS/${name#images/}" ]; then
      cp "$SHOTS/${name#images/}" "docs/$name"
    else
      echo "screenshots: no ${name#images/} for the guide" >&2
      status=1
    fi
  done
  echo "the guide's pictures are in docs/images" >&2
fi
exit $status
