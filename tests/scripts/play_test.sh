#!/usr/bin/env bash
# Plays the real program on an X server as a user would: the pointer is moved and clicked on the
# game's window through the X test extension until the player has summoned a monster and attacked
# with it. Screenshots of the window and the game's debugger output show that both happened.
set -euo pipefail
build=$1
source=$2
cd "$source"  # the game reads Data2/ from its working directory

tmp=$(mktemp -d)
game_pid=""
own_xvfb=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$own_xvfb" ] && kill "$own_xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
  echo "play test: $*"
  echo "--- debugger output"; tail -n 40 "$tmp/stderr" 2>/dev/null || true
  # Keep the last screenshot where it can be looked at.
  [ -f "$tmp/shot.png" ] && cp "$tmp/shot.png" "$build/play_test_last.png" && echo "last screenshot: $build/play_test_last.png"
  exit 1
}

if [ -n "${ARENA_XVFB_DISPLAY:-}" ]; then
  export DISPLAY=$ARENA_XVFB_DISPLAY
else
  export DISPLAY=":$((80 + RANDOM % 9))"
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  own_xvfb=$!
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

"$build/arena" -noerrormsgboxes 2>"$tmp/stderr" &
game_pid=$!

wid=$(timeout 60 xdotool search --sync --name '^x\[vela\] 1\.3\.5$' | head -n 1) || fail "the window never appeared"
xdotool windowfocus --sync "$wid" 2>/dev/null || true

shoot() { import -window "$wid" "$tmp/shot.png" 2>/dev/null; }
# Mean colour of a w x h area at (x, y) of the last screenshot, as "r g b" in 0-255.
mean() {
  convert "$tmp/shot.png" -crop "$3x$4+$1+$2" +repage -scale '1x1!' \
    -format '%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]\n' info:
}
# True when an area is more than the cleared background colour (45, 50, 170).
drawn() {
  local r g b
  read -r r g b < <(mean "$@")
  [ $(( (r - 45) * (r - 45) + (g - 50) * (g - 50) + (b - 170) * (b - 170) )) -gt 400 ]
}
crop_sum() { convert "$tmp/shot.png" -crop "$3x$4+$1+$2" +repage -depth 8 rgb:- | md5sum; }
# No --sync: a move to where the pointer already is would wait for ever.
click() { xdotool mousemove --window "$wid" "$1" "$2" sleep 0.05 click 1; }
# The battle's own lines: the bare numbers and words it writes, in order.
battle_lines() { grep -xE '[0-9]+|direct|called' "$tmp/stderr" || true; }

# The first frames: the window is the game's size, cleared to the battle's blue, with both
# avatars standing at the sides.
sleep 1
shoot || fail "no screenshot of the window"
size=$(identify -format '%wx%h' "$tmp/shot.png")
[ "$size" = "640x480" ] || fail "the window is $size, not 640x480"
read -r r g b < <(mean 300 380 40 40)
[ "$r $g $b" = "45 50 170" ] || fail "the background is ($r, $g, $b), not (45, 50, 170)"
drawn 20 310 50 60 || fail "the enemy's avatar is not drawn"
drawn 564 310 50 60 || fail "the player's avatar is not drawn"
drawn 364 244 56 56 && fail "the player's first field position is taken before any summon"
# The frame statistics are written in red over the top-left corner.
red=$(convert "$tmp/shot.png" -crop 300x14+0+0 +repage -fx '(r>0.7 && g<0.3 && b<0.3) ? 1 : 0' \
  -format '%[fx:int(mean*w*h)]' info:)
[ "$red" -gt 100 ] || fail "no red statistics text at the top-left ($red red pixels)"

# Menus open when their time bars fill. A command menu's first row opens the second menu
# (summons for the avatar, targets for a monster), whose first row summons or attacks.
summoned=0
attacked=0
deadline=$((SECONDS + 150))
while [ "$attacked" -eq 0 ] && [ "$SECONDS" -lt "$deadline" ]; do
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended during the battle"
  shoot || fail "no screenshot of the window"
  if drawn 150 20 30 14; then  # the selection panel, clear of the statistics line
    crop_sum 150 238 60 20 >"$tmp/enemy_hp.before"
    crop_sum 14 288 60 20 >"$tmp/enemy_life.before"
    before=$(battle_lines | wc -l)
    click 120 20
    sleep 0.7
    shoot || fail "no screenshot of the window"
    new=$(battle_lines | tail -n +"$((before + 1))")
    if [ "$summoned" -eq 0 ] && grep -qx 760 <<<"$new"; then
      summoned=1
      # The first monster of the hand has 760 hit points; it stands at the first position.
      drawn 364 244 56 56 || fail "the summoned monster is not drawn at the player's first position"
      drawn 420 240 40 16 || fail "the summoned monster's hit points are not drawn"
    elif [ "$summoned" -eq 1 ] && paste -sd ' ' <<<"$new" | grep -qE '(^| )50[1-3] [0-9]+ (direct )?0( |$)'; then
      attacked=1
      # The damage is booked at the click: the struck figure on the enemy's side changes.
      if grep -qx direct <<<"$new"; then region=(14 288 60 20 enemy_life); else region=(150 238 60 20 enemy_hp); fi
      [ "$(crop_sum "${region[@]:0:4}")" != "$(cat "$tmp/${region[4]}.before")" ] ||
        fail "the attack left the enemy's ${region[4]/_/ } on screen unchanged"
    fi
  elif drawn 10 60 50 48; then
    click 60 20
    sleep 0.5
  else
    sleep 0.3
  fi
done
[ "$summoned" -eq 1 ] || fail "no summon within the time allowed"
[ "$attacked" -eq 1 ] || fail "no attack within the time allowed"

# F8 draws in wireframe: the sprites' outlines cross mostly transparent texels, so the avatar
# all but disappears; a second F8 brings it back.
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key F8
sleep 0.5
shoot || fail "no screenshot of the window"
drawn 564 310 50 60 && fail "F8 did not switch to wireframe"
xdotool key F8
sleep 0.5
shoot || fail "no screenshot of the window"
drawn 564 310 50 60 || fail "a second F8 did not switch back to solid"

# Escape ends the game through the framework; it must leave cleanly.
xdotool key Escape
status=0
for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$game_pid" 2>/dev/null; then fail "the game did not end on Escape"; fi
wait "$game_pid" || status=$?
game_pid=""
# 11 is the framework's exit code after a run on the reference device.
[ "$status" -eq 0 ] || [ "$status" -eq 11 ] || fail "the game exited with $status"
echo "play test passed (exit status $status)"
