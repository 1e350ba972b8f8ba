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

# The game fast (0.2 s of it a frame): bars fill sooner, and menus wait for the keys whatever the speed.
start -constantframetime:0.2
window
xdotool windowfocus --sync "$wid" 2>/dev/null || true
frames_after "HAL 640x480"

battle_lines() { grep -xE '[0-9]+|direct|called' "$tmp/err" | paste -sd ' ' || true; }
battles() { echo $(($(grep -c '^Init Sprite' "$tmp/err" || true) / 8)); }  # each loads the eight images
# Row `row` of the menu whose rows start at x `left` (10 the command menu, 74 the summon menu)
# shows the highlight (orange) rather than the panel (dark blue); measured clear of the row's text
# and of the statistics line.
lit() {
  local r g b
  read -r r g b < <(mean "$(($1 + 90))" "$((28 * $2 + 18))" 14 10)
  [ "$r" -gt 150 ] && [ "$r" -gt $((b + 50)) ]
}
lit_rows() { local row out=""; for row in 0 1 2 3; do lit "$1" "$row" && out+="$row"; done; echo "${out:--}"; }
# Waits (at most 20 s) until exactly these rows of that menu show lit, after `what`.
wait_lit() {
  local deadline=$((SECONDS + 20)) seen=""
  until shoot && seen=$(lit_rows "$1") && [ "$seen" = "$2" ]; do
    [ "$SECONDS" -lt "$deadline" ] || fail "after $3 the lit rows of the menu at x $1 are ${seen:-unknown}, not $2"
    sleep 0.1
  done
}
press() { xdotool key --clearmodifiers "$@"; }

# The summoner's first menu: Summon and Wait can be chosen, the two rows between are dimmed.
deadline=$((SECONDS + 60))
until shoot && drawn 10 60 50 48; do
  [ "$SECONDS" -lt "$deadline" ] || fail "no command menu within 60 s"
  sleep 0.2
done
press Down
wait_lit 10 3 "Down (the dimmed rows skipped)"
xdotool mousemove --window "$wid" 64 20
wait_lit 10 0 "the pointer moved onto Summon"
press Down
wait_lit 10 3 "Down with the pointer still on Summon"
press Up
wait_lit 10 0 "Up"
cp "$tmp/shot.png" "$build/keys_test.focused.png"
press Return
wait_lit 74 0 "Return on Summon (the summon menu opens on its first row)"

# A thousand arrows as fast as the server takes them, ending on Up: back on the first row, as one
# more Down and Up show once the game has taken them all; nothing chosen.
keys=()
for _ in $(seq 500); do keys+=(Down Up); done
press --delay 0 "${keys[@]}" Down
wait_lit 74 1 "a thousand arrows and a Down"
press Up
wait_lit 74 0 "a thousand arrows, a Down and an Up"
[ -z "$(battle_lines)" ] || fail "arrows alone chose something: $(battle_lines)"

# Return held for ten seconds with the server repeating it: the press summons once; the repeats
# choose nothing in the menus that open meanwhile.
xset r on
xset r rate 250 30
xdotool keydown Return
sleep 10
xdotool keyup Return
xset r off
# Pause comes after every repeat: once time stands still, all of them have been taken.
key Pause
wait_line '^arena-pause: time paused$' 20
[ "$(battle_lines)" = 760 ] || fail "a held Return did more than one summon: $(battle_lines)"
key Pause
wait_line '^arena-pause: time resumed$' 20

# Return again and again, menu or no menu, plays the first choice every time until the enemy's
# life is gone and the next battle loads.
deadline=$((SECONDS + 120))
until [ "$(battles)" -ge 2 ]; do
  kill -0 "$game" 2>/dev/null || fail "the game ended during the battle"
  [ "$SECONDS" -lt "$deadline" ] || fail "no second battle within 120 s; the battle wrote: $(battle_lines)"
  xdotool key --clearmodifiers Return
  sleep 0.05
done
grep -qx direct "$tmp/err" || fail "the second battle began without an attack on the summoner"
mark
key Pause
wait_line '^arena-pause: time paused$' 20
shoot || fail "no screenshot of the window"
battle_shown

key Escape
finish 30
[ "$status" -eq 0 ] || fail "the game exited with $status"
! grep -q 'Sanitizer' "$tmp/err" || fail "a sanitizer report: $(grep -m1 'Sanitizer' "$tmp/err")"
echo "keys test passed"
