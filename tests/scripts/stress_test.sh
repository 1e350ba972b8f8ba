#!/usr/bin/env bash
# Twenty seconds of a restless player on a desktop with a window manager: random resizes,
# Alt+Enter, F3, F8, Pause, minimising and restoring, and clicks, in random order. Afterwards no
# sanitizer has spoken, frames still come, the battle is on the screen, and Escape exits 0.
set -euo pipefail
build=$1
source=$2
. "$(dirname "$0")/lib.sh"

seed=${ARENA_STRESS_SEED:-$$}
RANDOM=$seed
echo "stress test: seed $seed (ARENA_STRESS_SEED repeats a run)"
own_display 1280x1024
window_manager
start
window
frames_after "HAL 640x480"

wireframe=0
end=$((SECONDS + 20))
while [ "$SECONDS" -lt "$end" ]; do
  kill -0 "$game" 2>/dev/null || fail "the game ended during the stress (seed $seed)"
  action=$((RANDOM % 8))
  echo "$action $(grep -c '' "$tmp/err")" >>"$tmp/actions"  # the action, and how far the game had written
  case $action in
    0) xdotool windowsize "$wid" $((640 + RANDOM % 400)) $((480 + RANDOM % 300)) ;;
    1) key alt+Return ;;
    2) key F3 ;;
    3) key F8; wireframe=$((1 - wireframe)) ;;
    4) key Pause ;;
    5) xdotool windowminimize "$wid"; sleep 0.$((RANDOM % 5)); xdotool windowactivate "$wid" 2>/dev/null || true ;;
    *) xdotool mousemove --window "$wid" $((RANDOM % 640)) $((RANDOM % 480)) click 1 ;;
  esac
  sleep 0.$((1 + RANDOM % 4))
done

# Settle on the hardware device and a solid fill, with a device change to count frames after.
# The window is brought back as a player would: asked again while it is not shown. In full screen
# a loss of focus minimises the window (SDL does it, so that the desktop gets its own mode back),
# and SDL acts on a loss only once it has lasted 200 ms: when the game was busy, a loss read late
# can hide the window again just after it was brought back.
shown_and_focused() {
  xwininfo -id "$wid" | grep -q 'IsViewable' && [ "$(xdotool getactivewindow 2>/dev/null)" = "$wid" ] && return 0
  xdotool windowactivate "$wid" 2>/dev/null || true
  return 1
}
wait_until 60 "the window shown and focused again" shown_and_focused
[ "$wireframe" -eq 1 ] && key F8
# The game takes input in order: once a pointer move made now reaches it, every key sent before
# has been handled. Two moves, in case the pointer already stood at the second place.
mark
xdotool mousemove --window "$wid" 4 4 mousemove --window "$wid" 5 5
wait_line '^arena-mouse: overlay 0 5 5$'
for _ in 1 2; do
  mark
  key F3
  wait_line '^arena: created '
  [[ "$(grep '^arena: created' "$tmp/err" | tail -n 1)" == *HAL* ]] && break
done
[[ "$(grep '^arena: created' "$tmp/err" | tail -n 1)" == *HAL* ]] || fail "two F3 presses did not bring back the hardware device"
frames_after_last_reset
shoot || fail "no screenshot after the stress"
drawn 564 310 50 60 || fail "the player's avatar is not drawn after the stress (seed $seed)"
[ "$(red_text)" -gt 100 ] || fail "no red statistics text after the stress (seed $seed)"
key Escape
finish 30
if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$tmp/err"; then fail "a sanitizer spoke (seed $seed)"; fi
[ "$status" -eq 0 ] || fail "Escape after the stress exited with $status (seed $seed)"
echo "stress test passed: $(grep -c '^arena: reset' "$tmp/err") device resets, $(grep -c '^arena: created' "$tmp/err") devices made, $(grep -c '^arena-pause: rendering paused' "$tmp/err") pauses"
