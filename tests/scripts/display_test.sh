#!/usr/bin/env bash
# The real program in full screen and on displays that fail. Full screen keeps drawing frames,
# shows the battle and answers clicks, with and without a window manager and on both devices; a
# display that goes away under the game, or that is not there at all, ends it at once with a line
# naming the display; a closed standard-error pipe does not end it.
set -euo pipefail
build=$1
source=$2
. "$(dirname "$0")/lib.sh"

screen=1280x1024
own_display "$screen"
for manager in none openbox; do
  [ "$manager" = openbox ] && window_manager
  for device in HAL REF; do
    if [ "$device" = REF ]; then start -fullscreen -quitafterframe:300 -constantframetime:0.02 -forceref
    else start -fullscreen -quitafterframe:300 -constantframetime:0.02; fi
    finish 30
    [ "$status" -eq 0 ] || fail "full screen on $device ($manager) exited with $status"
    grep -q "^arena-frames: 100 $device $screen$" "$tmp/err" || fail "no 100th full-screen frame on $device ($manager)"
    # Nobody moves the pointer: mouse messages would be the cursor answering itself.
    moves=$(grep -c '^arena-mouse: scene' "$tmp/err" || true)
    [ "$moves" -lt 20 ] || fail "$moves mouse messages on $device ($manager) with the pointer standing still"
  done

  # From windowed play to full screen and back: frames keep coming, the battle is on the screen,
  # and a click on a menu row in full screen summons.
  start
  window
  frames_after "HAL 640x480"
  mark
  key alt+Return
  frames_after "HAL $screen"
  shoot root || fail "no screenshot of the screen"
  battle_shown
  deadline=$((SECONDS + 90))
  until new_lines | grep -x 760 >/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || fail "no summon in full screen ($manager)"
    shoot root || fail "no screenshot of the screen"
    if drawn 150 20 30 14; then click 120 20; sleep 0.5    # the summon panel: its first monster
    elif drawn 10 60 50 48; then click 60 20; sleep 0.5    # the avatar's menu: Summon
    else sleep 0.3; fi
  done
  drawn 364 244 56 56 || { shoot root; drawn 364 244 56 56; } || fail "the summoned monster is not drawn ($manager)"
  mark
  key alt+Return
  frames_after "HAL 640x480"
  size=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p')
  [ "$size" = 640x480 ] || fail "back from full screen the window is $size ($manager)"
  key Escape
  finish 30
  [ "$status" -eq 0 ] || fail "Escape after full screen exited with $status ($manager)"
done

# A display that goes away ends the game within seconds, on either device, every time.
for device in HAL REF; do
  for run in 1 2 3; do
    own_display 640x480
    if [ "$device" = REF ]; then start -forceref; else start; fi
    frames_after "$device 640x480"
    kill "$xvfb"
    finish 5
    wait "$xvfb" 2>/dev/null || true  # its display number is free again
    [ "$status" -ne 0 ] || fail "the game exited with 0 when its display went away ($device, run $run)"
    grep -q "connection to display \"$DISPLAY\" was lost" "$tmp/err" || fail "no line about the lost display ($device)"
  done
done

# No display at all, and one that is not there: a line naming it and a non-zero exit at once.
unused=":$((400 + RANDOM % 100))"
for case in unset missing; do
  status=0
  if [ "$case" = unset ]; then
    (cd "$source" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout -s KILL 5 "$build/arena") \
      2>"$tmp/err" || status=$?
    want="DISPLAY is not set"
  else
    (cd "$source" && DISPLAY=$unused exec env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout -s KILL 5 "$build/arena") \
      2>"$tmp/err" || status=$?
    want="cannot open display \"$unused\""
  fi
  [ "$status" -ne 0 ] && [ "$status" -ne 137 ] || fail "with the display $case the game exited with $status"
  grep -qF "$want" "$tmp/err" || fail "with the display $case no line says \"$want\""
done

# The reader of standard error goes away after one byte; the game plays on to its last frame.
(
  cd "$source"
  status=0
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ARENA_TRACE_DEVICE_EVENTS=1 timeout -s KILL 60 \
    "$build/arena" -quitafterframe:200 -noerrormsgboxes 2>&1 >/dev/null || status=$?
  echo "$status" >"$tmp/piped"
) | head -c 1 >/dev/null
[ "$(cat "$tmp/piped")" = 0 ] || fail "with its standard error closed the game exited with $(cat "$tmp/piped")"
echo "display test passed"
