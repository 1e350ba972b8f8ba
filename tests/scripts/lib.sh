# Shared by the real-program scripts: X servers and window managers of their own, the game started
# with its device events traced, and waiting for what it writes. Source it after setting `build`.

tmp=$(mktemp -d)
game=""
# The game prefers a Wayland compositor to X; the tests' displays are their own X servers (and,
# where a test wants one, its own compositor), never the desktop the tests run on.
unset WAYLAND_DISPLAY
# Only our own children still running: the id of a process that has ended may belong to anything
# by now (process ids wrap around within minutes on a busy machine).
ours() {
  local pid comm state ppid
  read -r pid comm state ppid _ 2>/dev/null <"/proc/$1/stat" || return 1
  [ "$ppid" = "$$" ]
}
cleanup() {
  [ -n "$game" ] && ours "$game" && { kill -9 "$game" 2>/dev/null || true; }
  for p in $(jobs -p); do ours "$p" && { kill "$p" 2>/dev/null || true; }; done
  rm -rf "$tmp"
  return 0
}
trap cleanup EXIT
fail() {
  echo "${0##*/}: $*"
  if [ -n "${wid:-}" ] && xwininfo -id "$wid" >/dev/null 2>&1; then
    echo "--- the window: $(xwininfo -id "$wid" | grep -E 'Map State' | tr -s ' ')," \
      "$(xprop -id "$wid" _NET_WM_STATE WM_STATE 2>/dev/null | tr '\n' ' ')"
  fi
  [ -f "$tmp/actions" ] && { echo "--- actions (what, lines written by then)"; paste -sd ' ' "$tmp/actions"; }
  if [ -f "$tmp/err" ]; then
    cp "$tmp/err" "$build/${0##*/}.last.err" && echo "the game's whole standard error: $build/${0##*/}.last.err"
    echo "--- device events, pauses and the messages behind them (last 80)"
    grep -nE '^arena(-pause|-msg)?: ' "$tmp/err" | tail -n 80
    echo "--- standard error (last 40 lines)"
    tail -n 40 "$tmp/err"
  fi
  # Keep the last screenshot where it can be looked at.
  if [ -f "$tmp/shot.png" ]; then
    cp "$tmp/shot.png" "$build/${0##*/}.last.png" && echo "last screenshot: $build/${0##*/}.last.png"
  fi
  exit 1
}

# Waits (at most $1 seconds) until the command after the description $2 succeeds, trying every
# tenth of a second; fails naming what it waited for, and what the command last saw when it
# leaves that in `last_seen`. A started game must keep running meanwhile.
wait_until() {
  local limit=$1 what=$2
  local deadline=$((SECONDS + limit))
  shift 2
  last_seen=
  until "$@"; do
    [ -z "$game" ] || kill -0 "$game" 2>/dev/null || fail "the game ended while waiting for $what"
    [ "$SECONDS" -lt "$deadline" ] || fail "waited $limit s for $what${last_seen:+ (last seen: $last_seen)}"
    sleep 0.1
  done
}

# Starts an X server of its own (size WxH, default 1280x1024) and points DISPLAY at it; its pid
# is in `xvfb`. The server picks a free display number itself and writes it once it takes
# connections. Without -noreset it would reset whenever its last client leaves, and refuse whoever
# connects meanwhile; -r: no autorepeat, so that a key whose release a crowded machine delays is
# not pressed again. setpriv: the server ends with this script, even when the script is killed.
own_display() {
  rm -f "$tmp/displayfd"
  setpriv --pdeathsig TERM Xvfb -displayfd 3 -screen 0 "${1:-1280x1024}x24" -nolisten tcp -noreset -r \
    3>"$tmp/displayfd" >"$tmp/xvfb.log" 2>&1 &
  xvfb=$!
  local deadline=$((SECONDS + 60))
  until [ -s "$tmp/displayfd" ]; do
    kill -0 "$xvfb" 2>/dev/null || fail "the X server ended before it took connections: $(tail -n 5 "$tmp/xvfb.log")"
    [ "$SECONDS" -lt "$deadline" ] || fail "the X server took no connections within 60 s"
    sleep 0.1
  done
  export DISPLAY=":$(head -n 1 "$tmp/displayfd")"
}

# Starts openbox on DISPLAY and waits until it manages the screen; its pid is in `wm`.
wm_running() { [[ "$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" == *"window id"* ]]; }
window_manager() {
  setpriv --pdeathsig TERM openbox >"$tmp/wm.log" 2>&1 &
  wm=$!
  local deadline=$((SECONDS + 60))
  until wm_running; do
    kill -0 "$wm" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ] ||
      fail "openbox did not manage $DISPLAY within 60 s (it $(kill -0 "$wm" 2>/dev/null && echo runs || echo ended)," \
        "its X server $(kill -0 "$xvfb" 2>/dev/null && echo runs || echo ended)): $(tail -n 5 "$tmp/wm.log")"
    sleep 0.1
  done
}

# Starts the game from the source folder (it reads Data2/ there) with its device events on;
# standard error goes to $tmp/err. It ends with this script, even when the script is killed.
start() {
  : >"$tmp/err"  # before the game runs, so that nothing of an earlier run is read as this one's
  (cd "$source" && SDL_AUDIODRIVER=dummy ARENA_TRACE_DEVICE_EVENTS=1 \
    exec setpriv --pdeathsig KILL "$build/arena" -noerrormsgboxes "$@") 2>"$tmp/err" &
  game=$!
  seen=0
}

# After finish: the game ended as Escape ends it on device $1 (HAL or REF: the exit code tells which
# device ran); $2 says what was played.
ended_on() {
  local want=0
  [ "$1" = REF ] && want=11
  [ "$status" -eq "$want" ] || fail "$2 ended with $status, not $want ($1)"
}

# Lines of standard error from here on are "new" to wait_line.
mark() { seen=$(wc -l <"$tmp/err" 2>/dev/null || echo 0); }
seen=0
new_lines() { tail -n +"$((seen + 1))" "$tmp/err" 2>/dev/null || true; }

# Waits (at most $2 seconds, default 60) until the game has written a new line matching the pattern.
has_new_line() { new_lines | grep -E "$1" >/dev/null; }
wait_line() { wait_until "${2:-60}" "a line /$1/" has_new_line "$1"; }

# Waits (at most $1 seconds) for the game to end by itself; sets `status`.
finish() {
  local limit=$((${1:-60} * 10))
  for _ in $(seq "$limit"); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$game" 2>/dev/null; then kill -9 "$game"; game=""; fail "the game did not end within ${1:-60} s"; fi
  status=0
  wait "$game" || status=$?
  game=""
}

# The game's window in `wid`, once the game has made its device (which may make the window anew)
# and the window shows (under a window manager: once it is managed). Only the game's own windows
# are looked at, and each search is a fresh xdotool: a window that vanishes while one walks the
# tree (an X error) fails that search alone.
device_made() { grep -q '^arena: reset ' "$tmp/err"; }
window_found() {
  wid=$(xdotool search --all --onlyvisible --pid "$game" --name '^x\[vela\] 1\.3\.5$' 2>"$tmp/search.err" | head -n 1)
  [ -n "$wid" ]
}
window() {
  wait_until 60 "the game's device" device_made
  wait_until 60 "a visible window of process $game (last search: $(tail -n 1 "$tmp/search.err" 2>/dev/null))" window_found
}

key() {
  timeout 30 xdotool windowactivate --sync "$wid" 2>/dev/null || timeout 30 xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool key --clearmodifiers "$1"
}

# Frames drawn since the last device reset reach ten, on the device and back buffer given.
frames_after() { wait_line "^arena-frames: 10 $1$" "${2:-60}"; }

# Waits (at most $1 seconds, default 60) until ten frames ($2 frames: 10, 100, 1000...) have been
# drawn since the device was last reset, whatever change that was and whoever asked for it.
drawn_since_reset() { awk -v want="^arena-frames: $1 " '/^arena: reset /{n=0} $0 ~ want {n=1} END{exit !n}' "$tmp/err"; }
frames_after_last_reset() { wait_until "${1:-60}" "${2:-10} frames since the last reset" drawn_since_reset "${2:-10}"; }

# Screenshot of a window (default: the game's) into $tmp/shot.png.
shoot() { import -window "${1:-$wid}" "$tmp/shot.png" 2>/dev/null; }
# Waits (at most a minute) until a screenshot of window $1 (root: the screen) satisfies the command
# after the description $2: what a change shows once the game has drawn it.
shows() { local window=$1; shift; shoot "$window" && "$@"; }
wait_screen() { local window=$1 what=$2; shift 2; wait_until 60 "$what on the screen" shows "$window" "$@"; }
not() { ! "$@"; }
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
# Red pixels of the statistics line over the top-left corner of the last screenshot.
red_text() {
  convert "$tmp/shot.png" -crop 300x14+0+0 +repage -fx '(r>0.7 && g<0.3 && b<0.3) ? 1 : 0' \
    -format '%[fx:int(mean*w*h)]' info:
}
# The first frames of a battle: cleared to the battle's blue, both avatars standing at the sides,
# the statistics line in red.
battle_shown() {
  local r g b
  read -r r g b < <(mean 300 380 40 40)
  [ "$r $g $b" = "45 50 170" ] || fail "the background is ($r, $g, $b), not (45, 50, 170)"
  drawn 20 310 50 60 || fail "the enemy's avatar is not drawn"
  drawn 564 310 50 60 || fail "the player's avatar is not drawn"
  [ "$(red_text)" -gt 100 ] || fail "no red statistics text at the top-left"
}
# Clicks at ($1, $2) of the game's window and waits until the game has taken the press: the
# release reaching it means the press has been handled. No --sync: a move to where the pointer
# already is would wait for ever.
took_click() { new_lines | awk '/^arena-mouse: scene 1 /{p=1} p && /^arena-mouse: overlay 0 /{f=1} END{exit !f}'; }
click() {
  mark
  xdotool mousemove ${wid:+--window "$wid"} "$1" "$2" click 1
  wait_until 60 "the game to take the click at ($1, $2)" took_click
}
