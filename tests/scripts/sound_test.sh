#!/usr/bin/env bash
# The game's sound stream on a sound server of the test's own (PulseAudio with a null sink): while
# the graphics device is usable the game holds one stream, named x[vela] with the role game; a
# device change closes it and opens a new one; when the game ends it is gone. Without any sound
# device the game traces the failure in its own words and the sound library adds nothing.
set -euo pipefail
build=$1
source=$2
. "$(dirname "$0")/lib.sh"

# Reached only through its own socket, with its own runtime, state and home: nothing of the
# machine's sound set-up is used, and the game cannot find any other server.
pulse=$tmp/pulse
mkdir -p "$pulse/run" "$pulse/home" "$pulse/state"
chmod 700 "$pulse/run"
export XDG_RUNTIME_DIR=$pulse/run PULSE_RUNTIME_PATH=$pulse/run PULSE_STATE_PATH=$pulse/state HOME=$pulse/home
export PULSE_SERVER=unix:$pulse/native
cat >"$pulse/server.pa" <<EOF
load-module module-native-protocol-unix socket=$pulse/native auth-anonymous=1
load-module module-null-sink sink_name=test
set-default-sink test
load-module module-suspend-on-idle timeout=1
EOF
pulseaudio -n -F "$pulse/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  --log-target=file:"$pulse/log" &
deadline=$((SECONDS + 30))
until pactl info >/dev/null 2>&1; do
  [ "$SECONDS" -lt "$deadline" ] || fail "the sound server did not answer within 30 s: $(tail -n 5 "$pulse/log")"
  sleep 0.1
done

# The game's streams, one line each: index|application|stream|role.
streams() {
  pactl list sink-inputs | awk -v want="$game" '
    function value(v) { v = $0; sub(/^[^=]*= "/, "", v); sub(/"$/, "", v); return v }
    function flush() { if (pid == want) print index_ "|" app "|" name "|" role }
    /^Sink Input #/ { flush(); index_ = substr($3, 2); pid = app = name = role = "" }
    /^\t\tapplication\.process\.id = / { pid = value() }
    /^\t\tapplication\.name = / { app = value() }
    /^\t\tmedia\.name = / { name = value() }
    /^\t\tmedia\.role = / { role = value() }
    END { flush() }'
}
# Waits until the game holds exactly one stream; its line is in `stream`.
one_stream() {
  local deadline=$((SECONDS + 30)) all
  while :; do
    all=$(streams)
    [ "$(grep -c . <<<"$all")" -eq 1 ] && { stream=$all; return 0; }
    [ "$SECONDS" -lt "$deadline" ] || fail "the game does not hold one stream after 30 s; it holds: ${all:-none}"
    sleep 0.1
  done
}
sink_state() { pactl list short sinks | awk '$2 == "test" { print $NF }'; }

own_display
: >"$tmp/err"
# Names and roles the caller's environment might give the stream are not the game's.
(cd "$source" && exec env -u PULSE_PROP -u PULSE_PROP_media.role -u SDL_AUDIO_DEVICE_APP_NAME \
  -u SDL_AUDIO_DEVICE_STREAM_NAME -u SDL_AUDIO_DEVICE_STREAM_ROLE SDL_AUDIODRIVER=pulseaudio \
  ARENA_TRACE_DEVICE_EVENTS=1 "$build/arena" -noerrormsgboxes) 2>"$tmp/err" &
game=$!
seen=0
wait_line '^arena-sound: open 2 22050 16$'
one_stream
[ "${stream#*|}" = "x[vela]|x[vela]|game" ] || fail "the stream is named and placed as $stream"
echo "stream while the device is usable: $stream; the sink is $(sink_state)"

# A device change (to the reference device and back): the stream goes with the loss and a new one
# comes with the reset, each time.
window
pactl subscribe >"$pulse/events" 2>&1 &
subscriber=$!
# It listens once it reports a change made after it started: a sink of its own, muted and unmuted.
marker=$(pactl load-module module-null-sink sink_name=marker)
deadline=$((SECONDS + 30))
until grep -q "on sink #" "$pulse/events"; do
  [ "$SECONDS" -lt "$deadline" ] || fail "pactl subscribe reported nothing within 30 s: $(cat "$pulse/events")"
  pactl set-sink-mute marker toggle
  sleep 0.1
done
pactl unload-module "$marker"
for want in REF HAL; do
  old=${stream%%|*}
  mark
  key F3
  wait_line "^arena: reset $want 640x480$"
  wait_line '^arena-sound: open 2 22050 16$'
  one_stream
  [ "${stream%%|*}" != "$old" ] || fail "the stream #$old outlived the device change to $want"
  [ "${stream#*|}" = "x[vela]|x[vela]|game" ] || fail "the new stream is named and placed as $stream"
  order=$(new_lines | grep -E '^arena(-sound)?: (lost|closed|reset|open)' | sed -E 's/^arena(-sound)?: //; s/ .*//' | paste -sd ,)
  [ "$order" = "lost,closed,reset,open" ] || fail "the device change to $want gave $order"
done
deadline=$((SECONDS + 30))
until grep -q "'new' on sink-input #${stream%%|*}\$" "$pulse/events"; do
  [ "$SECONDS" -lt "$deadline" ] || fail "the sound server never announced stream #${stream%%|*}: $(cat "$pulse/events")"
  sleep 0.1
done
kill "$subscriber"
events=$(grep -E "'(new|remove)' on sink-input" "$pulse/events" | sed -E "s/Event '([a-z]+)' on sink-input #/\1 /" | paste -sd ,)
grep -qE '^remove [0-9]+,new [0-9]+,remove [0-9]+,new [0-9]+$' <<<"$events" ||
  fail "each loss should remove the stream before the reset makes another: $events"

key Escape
finish
[ "$status" -eq 0 ] || fail "Escape exited with $status"
left=$(pactl list short sink-inputs)
[ -z "$left" ] || fail "streams left after the game ended: $left"
deadline=$((SECONDS + 30))
until [ "$(sink_state)" = SUSPENDED ]; do
  [ "$SECONDS" -lt "$deadline" ] || fail "the sink is still $(sink_state) 30 s after the game ended"
  sleep 0.1
done
echo "after the game: the sink is $(sink_state)"

# No sound device at all: the sound library finds no output and would say so in lines of its own.
: >"$tmp/alsa.conf"
: >"$tmp/err"
(cd "$source" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=alsa ALSA_CONFIG_PATH="$tmp/alsa.conf" \
  ARENA_TRACE_DEVICE_EVENTS=1 exec "$build/arena" -noerrormsgboxes -quitafterframe:1) 2>"$tmp/err" &
game=$!
finish
[ "$status" -eq 0 ] || fail "the game without a sound device exited with $status"
grep -qE '^common/appsound\([0-9]+\): DirectSoundCreate8 hr=DSERR_NODRIVER \(0x88780078\)$' "$tmp/err" ||
  fail "the missing sound device was not traced"
grep -q '^FAIL:Initialize$' "$tmp/err" || fail "no FAIL:Initialize"
if grep -q 'ALSA' "$tmp/err"; then fail "the sound library wrote to standard error: $(grep ALSA "$tmp/err")"; fi
echo "sound test passed"
