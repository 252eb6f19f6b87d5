#!/bin/sh
# Starts, once, a PulseAudio server whose default output is a null sink "quillory_null", for the
# playback tests and the audio bench on a machine without a sound card. Safe to run again.
# Prints the environment a test needs and writes it to $QUILLORY_SOUND_DIR/env for `. <file>`.
set -eu

dir=${QUILLORY_SOUND_DIR:-/tmp/quillory-sound}
mkdir -p "$dir"
chmod 700 "$dir"
XDG_RUNTIME_DIR=$dir
PULSE_SERVER=unix:$dir/pulse/native
export XDG_RUNTIME_DIR PULSE_SERVER

if ! command -v pulseaudio >/dev/null 2>&1 || ! command -v pactl >/dev/null 2>&1; then
    echo "start-sound-server: pulseaudio and pactl are needed (Debian: pulseaudio pulseaudio-utils)" >&2
    exit 1
fi

if ! pactl info >/dev/null 2>&1; then
    # As root the daemon warns that it is meant for a user session; it runs all the same. It must
    # never exit on idle: tests come and go.
    pulseaudio --daemonize=yes --exit-idle-time=-1 --system=false --log-target=file:"$dir/pulseaudio.log" \
        >/dev/null 2>&1 || true
    tries=0
    until pactl info >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ]; then
            echo "start-sound-server: the server did not come up; see $dir/pulseaudio.log" >&2
            exit 1
        fi
        sleep 0.1
    done
fi

# norewinds: without it a new stream's first ~13 ms can be missing from the monitor.
if ! pactl list short sinks | grep -q '[[:space:]]quillory_null[[:space:]]'; then
    pactl load-module module-null-sink sink_name=quillory_null norewinds=1 \
        sink_properties=device.description=quillory_null >/dev/null
fi
pactl set-default-sink quillory_null

cat >"$dir/env" <<ENV
export XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR
export PULSE_SERVER=$PULSE_SERVER
export QUILLORY_SOUND_SINK=quillory_null
ENV
cat "$dir/env"
