#!/usr/bin/env bash
# Paths users take that must not stop or hold the game: OpenGL that is too old or not there at all
# (the reference device plays, through the window surface), standard streams closed at start,
# signals while an error box is up (the box goes, the game ends with the error's status, no
# process stays behind), boxes that fit a 640x480 screen, and signals under full screen at another
# display mode (the desktop's mode comes back).
set -euo pipefail
build=$1
source=$2
. "$(dirname "$0")/lib.sh"

# Starts the game in directory $1 as the command that follows (what env takes: its options and
# settings first), with its device events traced and standard error in $tmp/err. SIGINT and SIGQUIT
# are let through: a shell's background job may start with them ignored, which the game respects.
launch() {
  local dir=$1
  shift
  : >"$tmp/err"
  (cd "$dir" && export SDL_AUDIODRIVER=dummy ARENA_TRACE_DEVICE_EVENTS=1 && exec env --default-signal=INT,QUIT "$@") \
    2>"$tmp/err" &
  game=$!
  seen=0
}

# The game's own window: the one that carries its process id. xdotool gives up when some window
# vanishes while it searches (the game's OpenGL probe makes and drops one): none then.
own_window() { { xdotool search --pid "$game" 2>/dev/null || true; } | head -n 1; }

# The windows of the display named $1 (a pattern), at any depth; none when one vanished while the
# tree was read. xdotool does not see the boxes' names, which are UTF-8 text only.
named() { { xwininfo -root -tree 2>/dev/null || true; } | sed -n "s/^ *\(0x[0-9a-f]*\) \"$1\".*/\1/p"; }

# Waits (at most 60 s) for the message box the game shows ($1 says which); its id goes to `box`. An
# error box is transient for the game's own window. A trace box has no owner: it is found by its
# title, $2, on this display of ours.
wait_box() {
  local deadline=$((SECONDS + 60)) main="" w
  box=""
  until [ -n "$box" ]; do
    kill -0 "$game" 2>/dev/null || fail "the game ended before its box showed ($1)"
    [ "$SECONDS" -lt "$deadline" ] || fail "no box within 60 s ($1); the game's window: ${main:-none}"
    if [ -n "${2:-}" ]; then
      box=$(named "$2" | head -n 1)
    elif main=$(own_window) && [ -n "$main" ]; then
      for w in $(named 'x\[vela\] 1\.3\.5'); do
        [ "$(xprop -id "$w" WM_TRANSIENT_FOR 2>/dev/null | sed -n 's/.*# //p')" = "$(printf '0x%x' "$main")" ] && box=$w
      done
    fi
    [ -n "$box" ] || sleep 0.1
  done
}

# The box lies on the screen of size $2 (WxH) whole, and is narrower than 640 pixels.
box_fits() {
  local info x y w h
  info=$(xwininfo -id "$box")
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  w=$(sed -n 's/^ *Width: *//p' <<<"$info")
  h=$(sed -n 's/^ *Height: *//p' <<<"$info")
  [ "$w" -lt 640 ] && [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "${2%x*}" ] && [ $((y + h)) -le "${2#*x}" ] ||
    fail "the box of \"$1\" is ${w}x$h at ($x, $y), not inside a $2 screen narrower than 640"
}

# Sends signal $1 and waits (at most $2 seconds) for the game to end; sets `status`. Its child
# processes (the box's) must be gone by then too.
signal_and_finish() {
  local kids kid end
  kids=$(pgrep -P "$game" || true)
  end=$(($(date +%s%N) / 1000000 + $2 * 1000))
  kill -"$1" "$game"
  while kill -0 "$game" 2>/dev/null; do
    [ "$(($(date +%s%N) / 1000000))" -lt "$end" ] || fail "SIG$1 did not end the game within $2 s"
    sleep 0.05
  done
  status=0
  { wait "$game"; } 2>/dev/null || status=$?  # the shell's own words on how it ended are not wanted
  game=""
  for kid in $kids; do
    # Reparented when the game ended, a child still alive keeps the program's name.
    for _ in $(seq 20); do [ "$(cat "/proc/$kid/comm" 2>/dev/null)" = arena ] || continue 2; sleep 0.1; done
    fail "after SIG$1 the game's child $kid lives on ($(grep '^PPid:' "/proc/$kid/status" 2>/dev/null))"
  done
}

screen_mode() { xrandr | awk '/\*/{print $1; exit}'; }

own_display 1280x1024

# Without usable OpenGL 3.3 (too old a version, or no driver at all) the game starts on the
# reference device, says why there is no hardware device, plays, and exits 11 on close as the
# reference device does. F3 finds no hardware device and changes nothing.
for gl in MESA_GL_VERSION_OVERRIDE=3.0 LIBGL_DRIVERS_PATH=/nonexistent; do
  launch "$source" "$gl" "$build/arena" -noerrormsgboxes
  frames_after "REF 640x480"
  grep -q '^arena: the hardware device is not offered: ' "$tmp/err" || fail "no line says why there is no hardware device ($gl)"
  deadline=$((SECONDS + 30))
  until wid=$(own_window) && [ -n "$wid" ]; do
    [ "$SECONDS" -lt "$deadline" ] || fail "no window of the game within 30 s ($gl)"
    sleep 0.1
  done
  deadline=$((SECONDS + 60))
  until { shoot && drawn 10 60 50 48; }; do  # the avatar's menu
    [ "$SECONDS" -lt "$deadline" ] || fail "the avatar's menu never opened ($gl)"
    sleep 0.3
  done
  click 60 20
  deadline=$((SECONDS + 10))
  until { shoot && drawn 150 20 30 14; }; do  # the summon panel
    [ "$SECONDS" -lt "$deadline" ] || fail "the click on Summon did nothing ($gl)"
    sleep 0.2
  done
  mark
  key F3
  key F3
  key Escape
  finish 30
  [ "$status" -eq 11 ] || fail "closing the reference device's window exited with $status ($gl)"
  # The keys come in order, so both F3 were handled before the close.
  [ "$(new_lines | grep -E '^arena: (lost|destroyed|created)' | paste -sd ,)" = "arena: lost,arena: destroyed" ] ||
    fail "F3 changed the device without a hardware one ($gl): $(new_lines | grep '^arena: ' | paste -sd ,)"
done

# Standard streams closed at start: nothing the game opens may take their numbers.
for closed in "2>&-" ">&- 2>&-" "<&- >&- 2>&-"; do
  status=0
  (cd "$source" && eval "exec timeout -s KILL 60 \"\$build/arena\" -quitafterframe:30 -noerrormsgboxes $closed") || status=$?
  [ "$status" -eq 0 ] || fail "with $closed the game exited with $status"
done

# Boxes shown (ARENA_NO_MESSAGE_BOXES unset): a scratch data folder without the monster table.
mkdir -p "$tmp/nodata"
cp -r "$source/Data2" "$tmp/nodata/"
rm "$tmp/nodata/Data2/monster.txt"
boxed() { launch "$1" -u ARENA_NO_MESSAGE_BOXES "${@:2}"; }

# Each signal that asks the game to end ends it, and its box, within 2 s with the error's status.
for sig in TERM INT HUP; do
  boxed "$tmp/nodata" "$build/arena"
  wait_box "the missing monster table, SIG$sig"
  box_fits "the missing monster table" 1280x1024
  signal_and_finish "$sig" 2
  [ "$status" -eq 4 ] || fail "SIG$sig with the missing table's box up exited with $status, not 4"
done
grep -qx "Could not find the game's data: .* from its data directory, the one that holds Data2/\." "$tmp/err" ||
  fail "standard error does not carry the box's sentence on one line"

# The other boxes fit as well, and say on standard error what they show: no device for the options
# (an error box), and a window too large to make (a trace box, which asks whether to debug).
for failure in "-adapter:5|3|Could not find a graphics device|" \
  "-width:16385|1|Unexpected error encountered: CreateWindow failed|Unexpected error encountered"; do
  IFS='|' read -r option want sentence title <<<"$failure"
  boxed "$source" "$build/arena" "$option"
  wait_box "$option" "$title"
  box_fits "$option" 1280x1024
  grep -q "^$sentence" "$tmp/err" || fail "$option: no line \"$sentence...\" on standard error"
  signal_and_finish TERM 2
  [ "$status" -eq "$want" ] || fail "$option exited with $status, not $want"
done

# Full screen at 640x480 on a display that has the mode: every signal that ends the game puts the
# desktop's mode back, also with a box up in that mode.
xrandr --newmode 640x480_test 23.86 640 656 720 800 480 481 484 497 -hsync +vsync
xrandr --addmode screen 640x480_test
for sig in HUP QUIT USR1; do
  launch "$source" "$build/arena" -noerrormsgboxes -fullscreen -width:640 -height:480
  frames_after "HAL 640x480"
  [ "$(screen_mode)" = 640x480_test ] || fail "full screen did not switch the display to 640x480 ($(screen_mode))"
  signal_and_finish "$sig" 5
  want=0
  [ "$sig" = HUP ] || want=$((128 + $(kill -l "$sig")))
  [ "$status" -eq "$want" ] || fail "SIG$sig in full screen exited with $status, not $want"
  [ "$(screen_mode)" = 1280x1024 ] || fail "after SIG$sig the display stays at $(screen_mode)"
done
boxed "$tmp/nodata" "$build/arena" -fullscreen -width:640 -height:480
wait_box "the missing monster table in full screen"
[ "$(screen_mode)" = 640x480_test ] || fail "the box came up at $(screen_mode), not in the game's 640x480 mode"
box_fits "the missing monster table in full screen" 640x480
signal_and_finish HUP 2
[ "$status" -eq 4 ] || fail "SIGHUP with the box up in full screen exited with $status, not 4"
[ "$(screen_mode)" = 1280x1024 ] || fail "after SIGHUP with the box up the display stays at $(screen_mode)"
echo "robustness test passed"
