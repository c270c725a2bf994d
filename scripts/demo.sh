#!/bin/sh
# The demo: the phone simulator on a pseudo-terminal and the line monitor on it.
set -e
cd "$(dirname "$0")/.."
if [ -n "$KONVELO_PORT" ]; then
  exec build/tools/cli/konvelo-cli events --port "$KONVELO_PORT" "$@"
fi
FIFO=$(mktemp -u /tmp/konvelo-demo.XXXXXX)
mkfifo "$FIFO"
# The phone keeps sending a sign of life while idle, so the line stays online after the scenario.
build/tools/phonesim/konvelo-phonesim --digit-gap 300 --keepalive 5000 \
  tools/phonesim/scenarios/demo.txt > "$FIFO" &
SIM=$!
trap 'kill $SIM 2>/dev/null; rm -f "$FIFO"' EXIT INT TERM
exec 3< "$FIFO"
read -r DEV <&3
echo "demo phone on $DEV" >&2
build/tools/cli/konvelo-cli events --port "$DEV" "$@"
