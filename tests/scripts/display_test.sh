#!/usr/bin/env bash
# The real program on the desktop, in full screen and on displays that fail. With and without a
# window manager: the window starts where it was asked to when it fits, and is fitted and centred
# in the work area, frame included, when it does not; it carries the desktop entry's class and
# icon. Full screen keeps drawing frames, shows the battle and answers clicks, on both devices; a
# display that goes away under the game, or that is not there at all, ends it at once with a line
# naming the display; a closed standard-error pipe does not end it.
set -euo pipefail
build=$1
source=$2
. "$(dirname "$0")/lib.sh"

# The game's window as the user sees it: its outer rectangle, frame included (the manager's
# _NET_FRAME_EXTENTS; none without a manager), as left top right bottom, then the client's size.
outer() {
  local info x y w h l=0 r=0 t=0 b=0 extents
  info=$(xwininfo -id "$wid")
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  w=$(sed -n 's/^ *Width: *//p' <<<"$info")
  h=$(sed -n 's/^ *Height: *//p' <<<"$info")
  extents=$(xprop -id "$wid" _NET_FRAME_EXTENTS)
  [[ "$extents" == *=* ]] && read -r l r t b <<<"$(sed 's/.*= //; s/,//g' <<<"$extents")"
  echo "$((x - l)) $((y - t)) $((x + w + r)) $((y + h + b)) $w $h"
}
# The work area as left top right bottom: what the manager publishes, else the whole screen.
work_area() {
  local area x y w h
  area=$(xprop -root _NET_WORKAREA)
  [[ "$area" == *=* ]] || area="= 0, 0, ${screen%x*}, ${screen#*x}"
  read -r x y w h _ <<<"$(sed 's/.*= //; s/,//g' <<<"$area")"
  echo "$x $y $((x + w)) $((y + h))"
}
# The window's icon property as 0xAARRGGBB words after its width and height, and the same of the
# desktop entry's 64-pixel icon.
icon_words() {
  # shellcheck disable=SC2046  # one word for each number
  printf '%08x\n' $(xprop -id "$wid" -notype -f _NET_WM_ICON 32c _NET_WM_ICON | sed 's/^[^=]*= //; s/,/ /g')
}
entry_icon_words() {
  printf '%08x\n%08x\n' 64 64
  convert "$source/packaging/icons/hicolor/64x64/apps/xvela.png" -depth 8 txt:- |
    sed -En 's/^[0-9]+,[0-9]+: .*#(..)(..)(..)(..).*/\4\1\2\3/p' | tr 'A-F' 'a-f'
}

# The battle on the whole screen: drawn at the top-left, its blue to the bottom-right corner. A
# window manager grants full screen only once the window shows, so the first frames may still be
# presented at the window's old size: screenshots are taken until the picture is right or 30 s
# have passed, and the last one is judged.
full_screen_battle() {
  local r g b deadline=$((SECONDS + 30))
  rm -f "$tmp/shot.png"
  until shoot root && drawn 20 310 50 60 && [ "$(mean 1220 964 60 60)" = "45 50 170" ]; do
    [ "$SECONDS" -lt "$deadline" ] || break
    kill -0 "$game" 2>/dev/null || fail "the game ended while its full-screen picture was awaited ($1)"
    sleep 0.3
  done
  [ -s "$tmp/shot.png" ] || fail "no screenshot of the screen ($1)"
  battle_shown
  read -r r g b < <(mean 1220 964 60 60)
  [ "$r $g $b" = "45 50 170" ] || fail "the screen's bottom-right corner is ($r, $g, $b), not the battle's blue ($1)"
}

entry="$source/packaging/org.xvela.xvela.desktop"
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
class=$(sed -n 's/^StartupWMClass=//p' "$entry")
[ -n "$class" ] || fail "the desktop entry names no StartupWMClass"
entry_icon_words >"$tmp/entry_icon"

screen=1280x1024
own_display "$screen"
for manager in none openbox; do
  [ "$manager" = openbox ] && window_manager
  read -r al at ar ab < <(work_area)
  for place in "" "-startx:10 -starty:10" "-startx:1000 -starty:800" "-width:1600 -height:1200"; do
    # shellcheck disable=SC2086  # the options are words of their own
    start $place
    window
    read -r left top right bottom width height < <(outer)
    got="window ($left, $top)-($right, $bottom), client ${width}x$height with \"$place\" ($manager)"
    case "$place" in
      "")  # where the system put it: SDL centres the client's size on the screen
        [ "$left $top $width $height" = "320 272 640 480" ] || fail "the default place moved: $got"
        wm_class=$(xprop -id "$wid" WM_CLASS)
        [ "$wm_class" = "WM_CLASS(STRING) = \"$class\", \"$class\"" ] || fail "the window's class is $wm_class ($manager)"
        icon_words >"$tmp/icon"
        cmp -s "$tmp/icon" "$tmp/entry_icon" || fail "the window's icon is not the desktop entry's 64x64 icon ($manager)"
        ;;
      "-startx:10 -starty:10")
        [ "$left $top $width $height" = "10 10 640 480" ] || fail "a window that fits moved: $got" ;;
      "-startx:1000 -starty:800")  # centred, frame included, to the pixel the halving rounds away
        [ "$width $height" = "640 480" ] || fail "a window that only stood past the edge was resized: $got"
        dx=$((2 * left - (al + ar - (right - left)))) dy=$((2 * top - (at + ab - (bottom - top))))
        [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ] || fail "not centred in the work area ($al, $at)-($ar, $ab): $got" ;;
      -width:*)  # fitted into the work area, and the back buffer took the client size
        [ "$left" -ge "$al" ] && [ "$top" -ge "$at" ] && [ "$right" -le "$ar" ] && [ "$bottom" -le "$ab" ] ||
          fail "not inside the work area ($al, $at)-($ar, $ab): $got"
        frames_after "HAL ${width}x$height" ;;
    esac
    key Escape
    finish 30
    [ "$status" -eq 0 ] || fail "Escape exited with $status: $got"
  done

  # Started in full screen: frames keep coming and the battle covers the screen to its far corner.
  for device in HAL REF; do
    if [ "$device" = REF ]; then start -fullscreen -constantframetime:0.02 -forceref
    else start -fullscreen -constantframetime:0.02; fi
    window
    wait_line "^arena-frames: 100 $device $screen$"
    full_screen_battle "$device, $manager"
    # Nobody moves the pointer: mouse messages would be the cursor answering itself.
    moves=$(grep -c '^arena-mouse: scene' "$tmp/err" || true)
    [ "$moves" -lt 20 ] || fail "$moves mouse messages on $device ($manager) with the pointer standing still"
    key Escape
    finish 30
    ended_on "$device" "full screen ($manager)"
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
    if drawn 150 20 30 14; then click 120 20    # the summon panel: its first monster
    elif drawn 10 60 50 48; then click 60 20    # the avatar's menu: Summon
    else sleep 0.3; fi
  done
  wait_screen root "the summoned monster ($manager)" drawn 364 244 56 56
  mark
  key alt+Return
  frames_after "HAL 640x480"
  size=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p')
  [ "$size" = 640x480 ] || fail "back from full screen the window is $size ($manager)"
  key Escape
  finish 30
  [ "$status" -eq 0 ] || fail "Escape after full screen exited with $status ($manager)"
done

# A display that goes away ends the game, on either device, every time (within seconds; the limit
# leaves room for a crowded machine).
for device in HAL REF; do
  for run in 1 2 3; do
    own_display 640x480
    if [ "$device" = REF ]; then start -forceref; else start; fi
    frames_after "$device 640x480"
    kill "$xvfb"
    finish 30
    wait "$xvfb" 2>/dev/null || true  # its display number is free again
    [ "$status" -ne 0 ] || fail "the game exited with 0 when its display went away ($device, run $run)"
    grep -q "connection to display \"$DISPLAY\" was lost" "$tmp/err" || fail "no line about the lost display ($device)"
  done
done

# No display at all, and one that is not there: a line naming it and a non-zero exit at once.
unused=400
while [ -e "/tmp/.X$unused-lock" ] || [ -e "/tmp/.X11-unix/X$unused" ]; do unused=$((unused + 1)); done
unused=":$unused"
for case in unset missing; do
  status=0
  if [ "$case" = unset ]; then
    (cd "$source" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout -s KILL 30 "$build/arena") \
      2>"$tmp/err" || status=$?
    want="DISPLAY is not set"
  else
    (cd "$source" && DISPLAY=$unused exec env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout -s KILL 30 "$build/arena") \
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
