#!/usr/bin/env bash
# Plays the real program on an X server of its own by the keyboard alone, as a player without a
# mouse would: `xdotool key` (Return and the arrows) until a second battle has begun. Screenshots
# show the focused row lit, and the light going to the pointer when it moves and back to the keys
# at the next arrow. Input no mouse could give (a thousand arrows at once, Return held ten seconds
# with the server's autorepeat, Return while no menu is open) changes nothing a click would not,
# and frames keep coming.
set -euo pipefail
build=$1
source=$2
. "$(dirname "$0")/lib.sh"

own_display 1024x768
unset SDL_VIDEODRIVER

# Six times the game's speed (at about 30 frames a second): bars fill sooner, and menus wait for the keys whatever the speed.
start -constantframetime:0.2
window
xdotool windowfocus --sync "$wid" 2>/dev/null || true
frames_after "HAL 640x480"

battle_lines() { grep -xE '[0-9]+|direct|called' "$tmp/err" | paste -sd ' ' || true; }
battles() { echo $(($(grep -c '^Init Sprite' "$tmp/err" || true) / 8)); }  # each loads the eight images
# Row `row` of the menu whose rows start at x `left` shows the highlight (orange) rather than
# the panel (dark blue); measured clear of the row's text and of the statistics line.
lit() {
  local r g b
  read -r r g b < <(mean "$(($1 + 90))" "$((28 * $2 + 18))" 14 10)
  [ "$r" -gt 150 ] && [ "$r" -gt $((b + 50)) ]
}
command_rows() { local row out=""; for row in 0 1 2 3; do lit 10 "$row" && out+="$row"; done; echo "${out:--}"; }
expect_lit() {  # the lit rows of the command menu, after `what`
  shoot || fail "no screenshot of the window"
  [ "$(command_rows)" = "$1" ] || fail "after $2 the command menu's lit rows are $(command_rows), not $1"
}
press() { xdotool key --clearmodifiers "$@"; sleep 0.4; }

# The summoner's first menu: Summon and Wait can be chosen, the two rows between are dimmed.
deadline=$((SECONDS + 60))
until shoot && drawn 10 60 50 48; do
  [ "$SECONDS" -lt "$deadline" ] || fail "no command menu within 60 s"
  sleep 0.2
done
press Down
expect_lit 3 "Down (the dimmed rows skipped)"
xdotool mousemove --window "$wid" 64 20
sleep 0.4
expect_lit 0 "the pointer moved onto Summon"
press Down
expect_lit 3 "Down with the pointer still on Summon"
press Up
expect_lit 0 "Up"
cp "$tmp/shot.png" "$build/keys_test.focused.png"
press Return
shoot || fail "no screenshot of the window"
lit 74 0 || fail "the summon menu opened without its first row lit"
lit 74 1 && fail "the summon menu opened with two rows lit"

# A thousand arrows as fast as the server takes them, ending on Up: back on the first row, and
# nothing chosen.
keys=()
for _ in $(seq 500); do keys+=(Down Up); done
xdotool key --clearmodifiers --delay 0 "${keys[@]}"
sleep 0.5
shoot || fail "no screenshot of the window"
lit 74 0 || fail "after a thousand arrows the first row is not lit"
[ -z "$(battle_lines)" ] || fail "arrows alone chose something: $(battle_lines)"

# Return held for ten seconds with the server repeating it: the press summons once; the repeats
# choose nothing in the menus that open meanwhile.
xset r on
xset r rate 250 30
xdotool keydown Return
sleep 10
xdotool keyup Return
xset r off
sleep 0.5
[ "$(battle_lines)" = 760 ] || fail "a held Return did more than one summon: $(battle_lines)"
key Pause
wait_line '^arena-pause: time paused$' 10
key Pause
wait_line '^arena-pause: time resumed$' 10

# Return again and again, menu or no menu, plays the first choice every time until the enemy's
# life is gone and the next battle loads.
deadline=$((SECONDS + 120))
until [ "$(battles)" -ge 2 ]; do
  kill -0 "$game" 2>/dev/null || fail "the game ended during the battle"
  [ "$SECONDS" -lt "$deadline" ] || fail "no second battle within 120 s; the battle wrote: $(battle_lines)"
  xdotool key --clearmodifiers Return
  sleep 0.15
done
grep -qx direct "$tmp/err" || fail "the second battle began without an attack on the summoner"
mark
key Pause
wait_line '^arena-pause: time paused$' 10
shoot || fail "no screenshot of the window"
battle_shown

key Escape
finish 30
[ "$status" -eq 0 ] || fail "the game exited with $status"
! grep -q 'Sanitizer' "$tmp/err" || fail "a sanitizer report: $(grep -m1 'Sanitizer' "$tmp/err")"
echo "keys test passed"
