#!/usr/bin/env bash
# The game on a Wayland desktop: weston of the test's own (its X11 backend inside the test's own X
# server: the headless backend offers no seat, and SDL cannot start without one), with a private
# runtime folder and socket. With both WAYLAND_DISPLAY and DISPLAY set, as every Wayland desktop
# sets them, the game is a Wayland client. On an output of scale 2 it hands the compositor a
# 1280x960 buffer, crisp, for its 640x480 back buffer, clicks land on the row under the pointer,
# Alt+Enter goes to full screen at the output's size and back, and the compositor's screenshot
# shows the picture opaque, on both devices. A compositor that goes away ends the game with exit
# status 1 and a line naming it, every time, on both devices.
set -euo pipefail
build=$1
source=$2
. "$(dirname "$0")/lib.sh"

own_display 1600x1200
export XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Starts weston on an output of 800x600 coordinates at scale $1 (a window of 800*$1 x 600*$1 at the
# X server's origin) and points WAYLAND_DISPLAY at it; its pid is in `compositor`. --debug lets the
# test's own clients (weston-debug, weston-screenshooter) in.
compositor() {
  export WAYLAND_DISPLAY="arena-test-$$-$((++compositors))"
  weston --backend=x11-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" --width=800 --height=600 \
    --scale="$1" --idle-time=0 --debug >"$tmp/weston.log" 2>&1 &
  compositor=$!
  local deadline=$((SECONDS + 30))
  until [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && xwininfo -root -tree | grep -q '"Weston Compositor'; do
    kill -0 "$compositor" 2>/dev/null || fail "weston did not start: $(tail -n 3 "$tmp/weston.log")"
    [ "$SECONDS" -lt "$deadline" ] || fail "weston did not come up within 30 s: $(tail -n 3 "$tmp/weston.log")"
    sleep 0.1
  done
}
compositors=0

# The game's window as weston places it: its client area's corner in output coordinates, into
# `gx` and `gy`, once the window is mapped.
placed() {
  local deadline=$((SECONDS + 60)) graph=""
  until [[ "$graph" == *"window 'x[vela] 1.3.5'"* ]]; do
    kill -0 "$game" 2>/dev/null || fail "the game ended before its window was mapped"
    [ "$SECONDS" -lt "$deadline" ] || fail "weston shows no window of the game within 60 s"
    sleep 0.2
    graph=$(timeout 10 weston-debug scene-graph 2>/dev/null || true)
  done
  read -r gx gy < <(grep -A1 "window 'x\[vela\] 1\.3\.5'" <<<"$graph" | sed -n 's/.*position: (\([0-9-]*\), \([0-9-]*\)).*/\1 \2/p')
  [ -n "${gy:-}" ] || fail "no position for the game's window in weston's scene graph"
}

# What the output shows of the game's client area ($1 x $2 game pixels, default 640x480): $tmp/full.ppm
# in real pixels, and $tmp/shot.png taken down to one pixel per game pixel for lib.sh's colour checks.
shoot_game() {
  local width=${1:-640} height=${2:-480}
  import -window root -crop "$((width * 2))x$((height * 2))+$((gx * 2))+$((gy * 2))" +repage -depth 8 \
    "$tmp/full.ppm" 2>/dev/null
  convert "$tmp/full.ppm" -sample 50% "$tmp/shot.png"
}
# Every 2x2 block of the last shot of the window one colour, but the statistics line at the top
# (its figures change while the picture is taken apart).
crisp() {
  local differ
  differ=$(convert "$tmp/full.ppm" -crop 1280x924+0+36 +repage \( +clone -sample 50% -sample 200% \) \
    -metric AE -compare -format '%[distortion]' info:)
  [ "$differ" = 0 ] || fail "$differ pixels of the game's picture break its 2x2 blocks ($1)"
}
# Shoots the window until the area x y w h (game pixels) is drawn; fails with $5 after 60 s.
until_drawn() {
  local deadline=$((SECONDS + 60))
  until { shoot_game && drawn "$1" "$2" "$3" "$4"; }; do
    [ "$SECONDS" -lt "$deadline" ] || fail "$5"
    sleep 0.3
  done
}
# Pointer and keys go to weston's window, which passes them to the window it has focused.
at_game() { xdotool mousemove "$(((gx + $1) * 2))" "$(((gy + $2) * 2))"; }
press() { xdotool key --clearmodifiers "$1"; }
pointer_away() { xdotool mousemove 1 1; }  # over the panel, outside every window

# An output of scale 2 and no option: the output's scale is the game's.
compositor 2
for device in HAL REF; do
  args=()
  [ "$device" = REF ] && args+=(-forceref)
  export WAYLAND_DEBUG=client
  start "${args[@]}"
  unset WAYLAND_DEBUG
  frames_after "$device 640x480"
  placed
  # A Wayland client: no X window of the game's, buffers of 1280x960 at buffer scale 2.
  [ -z "$(xdotool search --pid "$game" 2>/dev/null)" ] || fail "the game made an X window ($device)"
  [ -z "$(xdotool search --name '^x\[vela\] 1\.3\.5$' 2>/dev/null)" ] || fail "an X window has the game's title ($device)"
  grep -qE 'set_buffer_scale\(2\)' "$tmp/err" || fail "the game never set buffer scale 2 ($device)"
  grep -qE 'create_buffer\(new id wl_buffer@[0-9]+, [0-9]+, 1280, 960,' "$tmp/err" ||
    fail "the game never made a 1280x960 buffer ($device)"

  pointer_away
  until_drawn 10 60 50 48 "the avatar's menu never opened ($device)"
  battle_shown
  crisp "$device"

  # The compositor's own screenshot: every pixel of the game opaque.
  rm -f "$tmp"/wayland-screenshot-*.png
  (cd "$tmp" && timeout 30 weston-screenshooter) || fail "weston-screenshooter failed ($device)"
  screenshot=$(ls "$tmp"/wayland-screenshot-*.png)
  least=$(convert "$screenshot" -crop "1280x960+$((gx * 2))+$((gy * 2))" +repage -alpha extract \
    -format '%[fx:int(255*minima+0.5)]' info:)
  [ "$least" = 255 ] || fail "the compositor's screenshot has the game at alpha $least ($device)"

  # The avatar menu's Summon row at the game's (60, 20) opens the summon panel (the pointer's way
  # is the same on both devices).
  if [ "$device" = HAL ]; then
    drawn 150 20 30 14 && fail "the summon panel is open before the click"
    at_game 60 20
    xdotool click 1
    until_drawn 150 20 30 14 "the click at the game's (60, 20) did not open the summon panel"
  fi

  # Full screen is the whole output as it is: 800x600 coordinates of 2 pixels, a back buffer of
  # 800x600; then back to the window.
  mark
  press alt+Return
  frames_after "$device 800x600"
  pointer_away
  placed
  [ "$gx,$gy" = 0,0 ] || fail "in full screen the game's window stands at ($gx, $gy) ($device)"
  shoot_game 800 600
  drawn 564 310 50 60 || fail "in full screen the player's avatar is not where it belongs ($device)"
  mark
  press alt+Return
  frames_after "$device 640x480"
  press Escape
  finish 30
  ended_on "$device" "Escape"
done
kill "$compositor"
wait "$compositor" 2>/dev/null || true

# The compositor goes away under the game, killed outright or asked to end: status 1 within 5 s,
# with the line, every time. The two devices play at once, each in a game of its own.
second() {
  : >"$tmp/err2"
  (cd "$source" && SDL_AUDIODRIVER=dummy ARENA_TRACE_DEVICE_EVENTS=1 exec "$build/arena" -noerrormsgboxes "$@") \
    2>"$tmp/err2" &
  game2=$!
}
for run in 1 2 3 4 5; do
  compositor 1
  start
  second -forceref
  wait_line "^arena-frames: 1 HAL 640x480$"
  deadline=$((SECONDS + 60))
  until grep -q "^arena-frames: 1 REF 640x480$" "$tmp/err2"; do
    kill -0 "$game2" 2>/dev/null || fail "the game on the reference device ended before its first frame: $(tail -n 5 "$tmp/err2")"
    [ "$SECONDS" -lt "$deadline" ] || fail "no frame on the reference device within 60 s"
    sleep 0.1
  done
  signal=KILL; [ $((run % 2)) = 0 ] && signal=TERM
  killed=$(date +%s%N)
  kill -s "$signal" "$compositor"
  while kill -0 "$game" 2>/dev/null || kill -0 "$game2" 2>/dev/null; do
    [ $(($(date +%s%N) - killed)) -lt 5000000000 ] || fail "a game still ran 5 s after the compositor was killed ($signal, run $run)"
    sleep 0.05
  done
  status=0; wait "$game" || status=$?
  status2=0; wait "$game2" || status2=$?
  game=""
  wait "$compositor" 2>/dev/null || true
  for device in HAL:$status:$tmp/err REF:$status2:$tmp/err2; do
    IFS=: read -r name code log <<<"$device"
    [ "$code" -eq 1 ] || fail "with the compositor killed ($signal) the game exited with $code ($name, run $run)"
    grep -qF "arena: the connection to display \"$WAYLAND_DISPLAY\" was lost; ending" "$log" ||
      fail "no line about the lost compositor ($name, run $run)"
  done
done
echo "wayland test passed"
