#!/usr/bin/env bash
# The screen under the game changes, or cannot hold what is asked. In full screen the window
# manager is killed or replaced, or the display is set to another mode: the game keeps drawing,
# follows the display with one reset and takes clicks where its picture shows them. Full screen at
# a size no mode has takes the nearest mode. The presentation scale is held to what the screen can
# show, and a work area no desktop has is ignored.
set -euo pipefail
build=$1
source=$2
. "$(dirname "$0")/lib.sh"

geometry() { xwininfo -id "$wid" | sed -n 's/^ *\(Width\|Height\): *//p' | paste -sd x; }

# Modes the X server takes once they are listed for its one output (timings mean nothing to it).
add_mode() {
  case "$1" in
    800x600) xrandr --newmode 800x600_60 38.25 800 832 912 1024 600 603 607 624 -hsync +vsync ;;
    640x480) xrandr --newmode 640x480_60 23.75 640 664 720 800 480 483 487 500 -hsync +vsync ;;
  esac
  xrandr --addmode screen "$1_60"
}

# In full screen the avatar's menu opens once its time bar is full; a click on its Summon row, at
# (60, 20) of the game's picture, opens the summon panel at (150, 20).
battle_blue() { [ "$(mean 300 380 40 40)" = "45 50 170" ]; }
wait_shown() {  # what, x y w h of the screen, seconds: drawn over the battle's background
  local deadline=$((SECONDS + $6))
  until { shoot root && battle_blue && drawn "$2" "$3" "$4" "$5"; }; do
    [ "$SECONDS" -lt "$deadline" ] || fail "$1 not seen within $6 s"
    sleep 0.3
  done
}
summon_panel_by_click() {
  wait_shown "$1: the avatar's menu" 10 60 50 48 60
  drawn 150 20 30 14 && fail "$1: the summon panel is open before the click"
  mark
  click 60 20
  wait_line "^arena-mouse: scene 1 60 20$" 10
  wait_shown "$1: the summon panel after a click at (60, 20)" 150 20 30 14 10
}

# The window manager goes away under full screen (killed), or another takes its place: the game
# takes its focus and the whole display back and plays on.
for how in killed replaced; do
  own_display 1280x1024
  window_manager
  start -fullscreen -constantframetime:0.02
  window
  frames_after "HAL 1280x1024"
  mark
  if [ "$how" = killed ]; then
    kill "$wm"
    wait "$wm" || true
  else
    openbox --replace >"$tmp/wm.log" 2>&1 &
  fi
  # Active again, and drawing: the panel a click opens shows only in a frame drawn after it.
  wait_line "^arena-msg: active$" 20
  [ "$(geometry)" = 1280x1024 ] || fail "full screen with the manager $how: the window is $(geometry)"
  summon_panel_by_click "manager $how"
  key Escape
  finish 30
  [ "$status" -eq 0 ] || fail "Escape with the manager $how exited with $status"
done

# The display is set to a mode the game has not seen (added after it started): one reset to the
# display's new size, frames, and a click where its picture shows the menu; on either device.
for manager in openbox none; do
  own_display 1280x1024
  if [ "$manager" = openbox ]; then window_manager; device=HAL; start -fullscreen -constantframetime:0.02
  else device=REF; start -fullscreen -constantframetime:0.02 -forceref; fi
  window
  frames_after "$device 1280x1024"
  mark
  add_mode 800x600
  xrandr --output screen --mode 800x600_60
  frames_after "$device 800x600" 30
  resets=$(new_lines | grep -c '^arena: reset ' || true)
  [ "$resets" = 1 ] || fail "a new display mode ($manager) gave $resets device resets"
  [ "$(geometry)" = 800x600 ] || fail "after the mode change ($manager) the window is $(geometry)"
  shoot root
  battle_shown
  summon_panel_by_click "the mode changed ($manager)"
  key Escape
  finish 30
  ended_on "$device" "Escape after the mode change ($manager)"
done

# Full screen at a size no display mode has takes the nearest mode, and says so; the display's mode
# is its own again afterwards.
own_display 1280x1024
add_mode 800x600
add_mode 640x480
for asked in 1000x700:800x600 641x480:640x480 800x600:800x600; do
  size=${asked%:*} got=${asked#*:}
  start -fullscreen "-width:${size%x*}" "-height:${size#*x}" -quitafterframe:30
  finish 60
  [ "$status" -eq 0 ] || fail "full screen at $size exited with $status"
  grep -q "^arena-frames: 10 HAL $got$" "$tmp/err" || fail "full screen at $size did not draw at $got"
  said=$(grep -c "the display has no $size mode; full screen takes the nearest, $got" "$tmp/err" || true)
  [ "$said" = "$([ "$size" = "$got" ] && echo 0 || echo 1)" ] || fail "full screen at $size: $said lines about the mode"
  mode=$(xrandr | sed -n 's/.*current \([0-9]*\) x \([0-9]*\),.*/\1x\2/p')
  [ "$mode" = 1280x1024 ] || fail "after full screen at $size the display stays at $mode"
done
own_display 1280x1024
start -scale:2 -fullscreen -width:640 -height:480 -quitafterframe:30
finish 60
[ "$status" -eq 0 ] || fail "full screen at 640x480 and scale 2 exited with $status"
grep -q "^arena-frames: 10 HAL 640x512$" "$tmp/err" || fail "full screen at 640x480 and scale 2 did not draw at 640x512"

# A work area no desktop has (what a window manager that went away may leave) is ignored: the game
# starts at its own size.
for area in 0,0,0,0 0,0,100,100 3000,3000,500,500; do
  xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "$area"
  start -quitafterframe:30
  finish 60
  [ "$status" -eq 0 ] || fail "with the work area $area the game exited with $status"
  grep -q "^arena-frames: 10 HAL 640x480$" "$tmp/err" || fail "with the work area $area the game did not draw at 640x480"
done
xprop -root -remove _NET_WORKAREA

# A scale the screen cannot hold, asked for or the desktop's, is held to one that shows the whole
# picture, frame and all, with a line that says so; the window never asks to be larger than the
# screen.
window_manager
for how in -scale:8 GDK_SCALE=3; do
  if [ "$how" = GDK_SCALE=3 ]; then export GDK_SCALE=3; start; unset GDK_SCALE; else start "$how"; fi
  window
  frames_after "HAL 640x480"
  [ "$(geometry)" = 640x480 ] || fail "with $how the window is $(geometry)"
  grep -q "scale 1 is used" "$tmp/err" || fail "with $how nothing says the scale was held"
  read -r x y < <(xwininfo -id "$wid" | sed -n 's/.*Absolute upper-left [XY]: *//p' | paste -sd ' ')
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + 640)) -le 1280 ] && [ $((y + 480)) -le 1024 ] ||
    fail "with $how the window at ($x, $y) is not all on the screen"
  read -r mw mh < <(xprop -id "$wid" WM_NORMAL_HINTS | sed -n 's/.*minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
  [ "${mw:-0}" -le 1280 ] && [ "${mh:-0}" -le 1024 ] || fail "with $how the window asks for at least ${mw}x$mh"
  shoot
  battle_shown
  key Escape
  finish 30
  [ "$status" -eq 0 ] || fail "Escape with $how exited with $status"
done
echo "screen test passed"
