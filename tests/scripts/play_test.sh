#!/usr/bin/env bash
# Plays the real program on an X server as a user would: the pointer is moved and clicked on the
# game's window through the X test extension until the player has summoned a monster and attacked
# with it. Screenshots of the window and the game's debugger output show that both happened.
set -euo pipefail
build=$1
source=$2
. "$(dirname "$0")/lib.sh"

own_display 1024x768
unset SDL_VIDEODRIVER

start
window
crop_sum() { convert "$tmp/shot.png" -crop "$3x$4+$1+$2" +repage -depth 8 rgb:- | md5sum; }
# The area ($1..$4) of the last screenshot differs from the one saved as $5.before.
changed() { [ "$(crop_sum "$1" "$2" "$3" "$4")" != "$(cat "$tmp/$5.before")" ]; }
# The battle's own lines: the bare numbers and words it writes, in order.
battle_lines() { grep -xE '[0-9]+|direct|called' "$tmp/err" || true; }

# The first frames: the window is the game's size, cleared to the battle's blue, with both
# avatars standing at the sides.
frames_after "HAL 640x480"
shoot || fail "no screenshot of the window"
size=$(identify -format '%wx%h' "$tmp/shot.png")
[ "$size" = "640x480" ] || fail "the window is $size, not 640x480"
battle_shown
drawn 364 244 56 56 && fail "the player's first field position is taken before any summon"

# Menus open when their time bars fill. A command menu's first row opens the second menu
# (summons for the avatar, targets for a monster), whose first row summons or attacks.
summoned=0
attacked=0
deadline=$((SECONDS + 150))
while [ "$attacked" -eq 0 ] && [ "$SECONDS" -lt "$deadline" ]; do
  kill -0 "$game" 2>/dev/null || fail "the game ended during the battle"
  shoot || fail "no screenshot of the window"
  if drawn 150 20 30 14; then  # the selection panel, clear of the statistics line
    crop_sum 150 238 60 20 >"$tmp/enemy_hp.before"
    crop_sum 14 288 60 20 >"$tmp/enemy_life.before"
    before=$(battle_lines | wc -l)
    click 120 20
    new=$(battle_lines | tail -n +"$((before + 1))")
    if [ "$summoned" -eq 0 ] && grep -qx 760 <<<"$new"; then
      summoned=1
      # The first monster of the hand has 760 hit points; it stands at the first position.
      wait_screen "$wid" "the summoned monster at the player's first position" drawn 364 244 56 56
      wait_screen "$wid" "the summoned monster's hit points" drawn 420 240 40 16
    elif [ "$summoned" -eq 1 ] && paste -sd ' ' <<<"$new" | grep -qE '(^| )50[1-3] [0-9]+ (direct )?0( |$)'; then
      attacked=1
      # The damage is booked at the click: the struck figure on the enemy's side changes.
      if grep -qx direct <<<"$new"; then region=(14 288 60 20 enemy_life); else region=(150 238 60 20 enemy_hp); fi
      wait_screen "$wid" "a change of the enemy's ${region[4]/_/ } after the attack" changed "${region[@]}"
    fi
  elif drawn 10 60 50 48; then
    click 60 20
  else
    sleep 0.3
  fi
done
[ "$summoned" -eq 1 ] || fail "no summon within the time allowed"
[ "$attacked" -eq 1 ] || fail "no attack within the time allowed"

# F8 draws in wireframe: the sprites' outlines cross mostly transparent texels, so the avatar
# all but disappears; a second F8 brings it back.
key F8
wait_screen "$wid" "wireframe after F8 (the player's avatar all but gone)" not drawn 564 310 50 60
key F8
wait_screen "$wid" "solid fill after a second F8 (the player's avatar drawn)" drawn 564 310 50 60

# Escape ends the game through the framework; it must leave cleanly.
key Escape
finish 30
# 11 is the framework's exit code after a run on the reference device.
[ "$status" -eq 0 ] || [ "$status" -eq 11 ] || fail "the game exited with $status"
echo "play test passed (exit status $status)"
