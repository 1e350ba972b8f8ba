#!/usr/bin/env bash
# The real program's life on an X server with a window manager, its device events traced: quitting
# after frame 5 on OpenGL, closing the window (exit 11 after a run on the reference device, 0 on the
# hardware one), and minimising and restoring, which pauses and resumes and changes no device.
set -euo pipefail
build=$1
source=$2
cd "$source"  # the game reads Data2/ from its working directory

tmp=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "lifecycle test: $*"
  [ -f "$tmp/err" ] && { echo "--- standard error"; cat "$tmp/err"; }
  exit 1
}

# A server of our own: the window manager must not disturb the tests that share the other one.
for n in $(seq $((200 + RANDOM % 100)) 399); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xdpyinfo -display ":$n" >/dev/null 2>&1 && break; sleep 0.1; done
  if xdpyinfo -display ":$n" >/dev/null 2>&1; then export DISPLAY=":$n"; break; fi
done
[ -n "${DISPLAY:-}" ] || fail "no X server could be started"
xset -r
openbox >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy ARENA_TRACE_DEVICE_EVENTS=1

game=""
start() {
  "$build/arena" -noerrormsgboxes "$@" 2>"$tmp/err" &
  game=$!
}
window() {
  wid=$(timeout 60 xdotool search --sync --onlyvisible --name '^x\[vela\] 1\.3\.5$' | head -n 1) ||
    fail "the window never appeared"
  sleep 0.7  # let the program settle before the first input
}
key() {
  xdotool windowactivate --sync "$wid" 2>/dev/null || true
  xdotool key --clearmodifiers "$1"
}
# Sets `status` once the program has ended by itself within a minute.
finish() {
  for _ in $(seq 600); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$game" 2>/dev/null && { kill -9 "$game"; fail "the program did not end"; }
  status=0
  wait "$game" || status=$?
}
events() { grep -E '^arena(-pause)?: ' "$tmp/err" | sed -E 's/^arena(-pause)?: //' | paste -sd ','; }

start -quitafterframe:5
finish
[ "$status" -eq 0 ] || fail "quitting after frame 5 exited with $status"
[ "$(grep -c '^arena: created HAL 640x480$' "$tmp/err")" -eq 1 ] || fail "no hardware device was made"
grep -q 'hr=' "$tmp/err" && fail "quitting after frame 5 traced a failure"

for device in reference hardware; do
  if [ "$device" = reference ]; then start -forceref; want=11; else start; want=0; fi
  window
  key alt+F4
  finish
  [ "$status" -eq "$want" ] || fail "closing the window on the $device device exited with $status, not $want"
done

start
window
xdotool windowminimize --sync "$wid"
sleep 0.7
xdotool windowactivate --sync "$wid"
sleep 0.7
key Escape
finish
[ "$status" -eq 0 ] || fail "Escape after restoring exited with $status"
want="created HAL 640x480,reset HAL 640x480,rendering paused,time paused,rendering resumed,time resumed,lost,destroyed"
[ "$(events)" = "$want" ] || fail "minimise and restore gave: $(events)"
echo "lifecycle test passed"
