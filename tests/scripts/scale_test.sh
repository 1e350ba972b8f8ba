#!/usr/bin/env bash
# The presentation scale on a real X server: at -scale:2 the window is twice the game's size and
# shows the same picture with every pixel doubled, on both devices; clicks land where they are
# seen; full screen and back, and a resize by the user, keep the scale; GDK_SCALE sets it when
# the command line does not.
set -euo pipefail
build=$1
source=$2
. "$(dirname "$0")/lib.sh"

own_display 2048x1536
xdotool mousemove 0 0  # the pointer stays off the window: nothing is hovered

geometry() { xwininfo -id "$wid" | sed -n 's/.*\(Width\|Height\): *//p' | paste -sd x; }

# The same still frame (no time passes at all) at scale 1 and 2. Halved with nearest sampling,
# the larger must be the smaller; only the statistics line, whose frame rate differs from run to
# run, is left out.
for device in REF HAL; do
  args=(-constantframetime:0)
  [ "$device" = REF ] && args+=(-forceref)
  for scale in 1 2; do
    start "${args[@]}" -scale:$scale
    window
    frames_after "$device 640x480"
    [ "$(geometry)" = "$((640 * scale))x$((480 * scale))" ] || fail "at scale $scale the window is $(geometry)"
    shoot
    [ "$scale" = 2 ] && convert "$tmp/shot.png" -sample 50% "$tmp/shot.png"
    convert "$tmp/shot.png" -fill black -draw 'rectangle 0,0 639,17' "$tmp/$device-$scale.png"
    key Escape
    finish 30
  done
  fuzz=0; [ "$device" = HAL ] && fuzz=1.2%  # the golden tolerance: 3 of 255 a channel
  differ=$(compare -metric AE -fuzz "$fuzz" "$tmp/$device-1.png" "$tmp/$device-2.png" null: 2>&1 || true)
  [ "$differ" = 0 ] || fail "$device at scale 2, halved, differs from scale 1 in $differ pixels"
done

# Playing at scale 2: the click at (120, 40) on the screen is the game's (60, 20), the avatar
# menu's Summon row, and opens the summon panel.
start -scale:2 -constantframetime:0.02
window
frames_after "HAL 640x480"
wait_screen "$wid" "the avatar's menu" drawn 20 120 100 96
drawn 300 40 60 28 && fail "the summon panel is open before the click"
click 120 40
wait_screen "$wid" "the summon panel opened by the click at (120, 40)" drawn 300 40 60 28

# Full screen and back keep the scale: the logical mode is the screen's halved.
mark
key alt+Return
frames_after "HAL 1024x768"
shoot root
drawn $((564 * 2)) $((310 * 2)) 100 120 || fail "in full screen at scale 2 the player's avatar is not where it belongs"
mark
key alt+Return
frames_after "HAL 640x480"
[ "$(geometry)" = 1280x960 ] || fail "back from full screen the window is $(geometry)"

# The user makes the window 1400x1000: the game's back buffer is 700x500.
mark
xdotool windowsize "$wid" 1400 1000
frames_after "HAL 700x500"
key Escape
finish 30
[ "$status" -eq 0 ] || fail "Escape at scale 2 exited with $status"

# The desktop's scale, unless the command line says otherwise.
export GDK_SCALE=3
for option in "" -scale:1; do
  start ${option:+"$option"}
  window
  frames_after "HAL 640x480"
  want=1920x1440; [ -n "$option" ] && want=640x480
  [ "$(geometry)" = "$want" ] || fail "with GDK_SCALE=3 ${option:-and no option} the window is $(geometry), not $want"
  key Escape
  finish 30
done
unset GDK_SCALE

# Under a window manager whose frame (1 pixel at the sides) is narrower than the scale, full
# screen and back may move the window onto the logical grid once, but not by a pixel every time.
# The screen is just wide enough for the framed window at scale 2; its frame's corner at the
# screen's edge puts the client at an odd pixel.
own_display 1300x1024
window_manager
start -scale:2 -startx:0 -starty:0
window
frames_after "HAL [0-9]+x[0-9]+"
corner() { xwininfo -id "$wid" | sed -n 's/.*Absolute upper-left \(X\|Y\): *//p' | paste -sd ,; }
# Every place the window passes through on the way, not only where it ends: a stray move to a
# wrong place decides where the window ends up whenever the manager happens to take it last.
setpriv --pdeathsig TERM xev -id "$wid" -event structure >"$tmp/moves" 2>&1 &
moves=$!
for trip in 1 2 3; do
  mark
  key alt+Return
  frames_after "HAL 650x512"
  mark
  key alt+Return
  frames_after_last_reset 120 10
  # In its frame again once the manager has carried out the game's move back (the client stands
  # at the screen's corner only without a frame). The first trip may put it on the logical grid;
  # every later one must bring it back to that same place.
  if [ "$trip" -eq 1 ]; then
    framed() { last_seen=$(corner); [ "$last_seen" != 0,0 ]; }
    wait_until 60 "the window back in its frame after full screen" framed
    where[1]=$last_seen
  else
    back() { last_seen=$(corner); [ "$last_seen" = "${where[1]}" ]; }
    wait_until 60 "full screen and back (trip $trip) to bring the window back to ${where[1]}" back
  fi
done
kill "$moves" 2>/dev/null || true
# The manager tells each place on the screen in a notice of its own (the server's own notices
# give the place in the frame). Full screen puts the client at the screen's corner; anywhere
# else but where it stands is a detour.
passed=$(awk '/ConfigureNotify event/ { told = /synthetic YES/; next }
              told && match($0, /\((-?[0-9]+),(-?[0-9]+)\)/) { print substr($0, RSTART + 1, RLENGTH - 2); told = 0 }' \
           "$tmp/moves" | sort -u | grep -vx -e 0,0 -e "${where[1]}" || true)
[ -z "$passed" ] || fail "full screen and back took the window through $(paste -sd ' ' <<<"$passed") on its way to ${where[1]}"
key Escape
finish 30
echo "scale test passed"
