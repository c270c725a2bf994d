#!/bin/sh
# Runs a command against a private PulseAudio server with a null sink "line"
# and a source "linein" on its monitor, so that what is played into "line"
# can be recorded from "linein". The server ends with the command.
set -e
RUNTIME=$(mktemp -d /tmp/konvelo-pulse.XXXXXX)
export XDG_RUNTIME_DIR="$RUNTIME"
export PULSE_RUNTIME_PATH="$RUNTIME/pulse"
export PULSE_SERVER="unix:$RUNTIME/pulse/native"
export HOME="${HOME:-$RUNTIME}"
mkdir -p "$PULSE_RUNTIME_PATH"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit=no \
  --use-pid-file=no --log-target=file:"$RUNTIME/pulse.log" \
  -L "module-native-protocol-unix socket=$RUNTIME/pulse/native auth-anonymous=1" \
  -L "module-null-sink sink_name=line rate=8000 channels=1" \
  -L "module-remap-source source_name=linein master=line.monitor channels=1" \
  -L "module-always-sink" >/dev/null 2>&1 &
PA=$!
i=0
while ! pactl info >/dev/null 2>&1; do
  i=$((i+1))
  if [ $i -gt 50 ] || ! kill -0 $PA 2>/dev/null; then
    echo "with-pulse: PulseAudio did not start; see $RUNTIME/pulse.log" >&2
    break
  fi
  sleep 0.1
done
pactl set-default-sink line >/dev/null 2>&1 || true
pactl set-default-source linein >/dev/null 2>&1 || true
status=0
"$@" || status=$?
kill $PA 2>/dev/null || true
wait $PA 2>/dev/null || true
rm -rf "$RUNTIME"
exit $status
