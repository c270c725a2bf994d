#!/bin/sh
# Runs a command against a private PulseAudio server with a null sink "line"
# and a source "linein" on its monitor, so that what is played into "line"
# can be recorded from "linein". An idle null sink gives its monitor no data, so
# a low-latency stream of silence plays into "line" while the server runs.
# The server ends with the command.
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
pacat --playback --raw --rate=8000 --channels=1 --format=s16le --latency-msec=20 \
  --device=line --client-name=konvelo-silence --stream-name=silence \
  </dev/zero >/dev/null 2>&1 &
SILENCE=$!
# A reader on "linein" keeps it running, so that the first recording starts at once.
parec --record --raw --rate=8000 --channels=1 --format=s16le --latency-msec=20 \
  --device=linein --client-name=konvelo-warm --stream-name=warm >/dev/null 2>&1 &
WARM=$!
i=0
while [ -z "$(pactl list short sink-inputs 2>/dev/null)" ] && [ $i -lt 50 ]; do
  i=$((i+1))
  sleep 0.1
done
# Wait until sound actually arrives at "linein" (its first start takes a while).
timeout 5 parec --raw --rate=8000 --channels=1 --format=s16le --latency-msec=20 \
  --device=linein 2>/dev/null | head -c 1600 >/dev/null || true
status=0
"$@" || status=$?
kill $SILENCE $WARM 2>/dev/null || true
wait $WARM 2>/dev/null || true
wait $SILENCE 2>/dev/null || true
kill $PA 2>/dev/null || true
wait $PA 2>/dev/null || true
rm -rf "$RUNTIME"
exit $status
