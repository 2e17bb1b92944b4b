#!/bin/sh
# Speech through speech-dispatcher on a machine without a sound card: a
# PulseAudio server of our own with a null sink, a recording of the sink's
# monitor while 你好 is spoken, and a check that the recording holds sound.
# Arguments: the speak_once program, an artefact folder.
set -u
speak=$1
artefacts=$2
mkdir -p "$artefacts"
work=$(mktemp -d)
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null; done
    # The speech service spawned for this test ends with it.
    pidfile="$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid"
    [ -s "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    for p in $pids; do wait "$p" 2>/dev/null; done
    sleep 0.3
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A private session: its own speech service and sound server.
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config" \
       XDG_CACHE_HOME="$work/home/.cache"
export PULSE_SERVER="unix:$work/run/pulse.sock"
pulseaudio --daemonize=no --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=tulvo_null" \
    --load="module-native-protocol-unix socket=$work/run/pulse.sock auth-anonymous=1" \
    --log-target=file:"$artefacts/pulse.log" >/dev/null 2>&1 &
pids="$!"
for i in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink tulvo_null || fail "no sound server"

parec -d tulvo_null.monitor --format=s16le --rate=22050 --channels=1 >"$artefacts/speech.raw" &
pids="$! $pids"
"$speak" "你好" >"$artefacts/speak.log" 2>&1 || fail "speaking failed: $(cat "$artefacts/speak.log")"
sleep 0.3
grep -q "^voice: .*Mandarin" "$artefacts/speak.log" || fail "no Mandarin voice: $(cat "$artefacts/speak.log")"

# Sound: at least 0.2 seconds of samples above a twentieth of full scale.
python3 - "$artefacts/speech.raw" <<'PY' || exit 1
import struct, sys
data = open(sys.argv[1], "rb").read()
n = len(data) // 2
samples = struct.unpack("<%dh" % n, data[: 2 * n])
loud = sum(1 for s in samples if abs(s) > 1638)
print("recorded %.1f s, %.2f s of it loud" % (n / 22050, loud / 22050))
sys.exit(0 if loud > 0.2 * 22050 else 1)
PY
echo "PASS: $(cat "$artefacts/speak.log") spoke 你好"
