#!/usr/bin/env bash
# The real program's life on an X server with a window manager, its device events traced: quitting
# after frame 5 on OpenGL, closing the window (exit 11 after a run on the reference device, 0 on the
# hardware one), and minimising and restoring, which pauses and resumes, changes no device, and
# leaves frames coming.
set -euo pipefail
build=$1
source=$2
. "$(dirname "$0")/lib.sh"

own_display 1024x768
window_manager
events() { grep -E '^arena(-pause)?: |^arena-frames: 10 ' "$tmp/err" | sed -E 's/^arena(-pause|-frames)?: //' | paste -sd ','; }

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
frames_after "HAL 640x480"
mark
xdotool windowminimize --sync "$wid"
wait_line '^arena-pause: time paused$'
mark
xdotool windowactivate --sync "$wid"
frames_after "HAL 640x480"
key Escape
finish
[ "$status" -eq 0 ] || fail "Escape after restoring exited with $status"
want="created HAL 640x480,reset HAL 640x480,10 HAL 640x480,rendering paused,time paused,rendering resumed,time resumed,10 HAL 640x480,lost,destroyed"
[ "$(events)" = "$want" ] || fail "minimise and restore gave: $(events)"
echo "lifecycle test passed"
