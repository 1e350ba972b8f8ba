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

# Starts an X server of its own (size WxH, default 1280x1024) and points DISPLAY at it; its pid
# is in `xvfb`. The tests that share the suite's server must not see this one's window manager.
# The server picks a free display number itself and writes it once it takes connections. Without
# -noreset it would reset whenever its last client leaves, and refuse whoever connects meanwhile.
own_display() {
  rm -f "$tmp/displayfd"
  Xvfb -displayfd 3 -screen 0 "${1:-1280x1024}x24" -nolisten tcp -noreset 3>"$tmp/displayfd" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do
    [ -s "$tmp/displayfd" ] && break
    kill -0 "$xvfb" 2>/dev/null || fail "the X server did not start"
    sleep 0.1
  done
  [ -s "$tmp/displayfd" ] || fail "the X server did not start within 10 s"
  export DISPLAY=":$(head -n 1 "$tmp/displayfd")"
  xset -r
}

# Starts openbox on DISPLAY and waits until it manages the screen; its pid is in `wm`.
window_manager() {
  local attempt
  for attempt in 1 2; do
    openbox >"$tmp/wm.log" 2>&1 &
    wm=$!
    for _ in $(seq 200); do
      [[ "$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" == *"window id"* ]] && return 0
      kill -0 "$wm" 2>/dev/null || break  # it gave up: one more try
      sleep 0.1
    done
  done
  fail "openbox did not start on $DISPLAY (its X server $(kill -0 "$xvfb" 2>/dev/null && echo runs || echo ended)):" \
    "$(tail -n 5 "$tmp/wm.log")"
}

# Starts the game from the source folder (it reads Data2/ there) with its device events on;
# standard error goes to $tmp/err.
start() {
  : >"$tmp/err"  # before the game runs, so that nothing of an earlier run is read as this one's
  (cd "$source" && SDL_AUDIODRIVER=dummy ARENA_TRACE_DEVICE_EVENTS=1 exec "$build/arena" -noerrormsgboxes "$@") \
    2>"$tmp/err" &
  game=$!
  seen=0
}

# Lines of standard error from here on are "new" to wait_line.
mark() { seen=$(wc -l <"$tmp/err" 2>/dev/null || echo 0); }
seen=0
new_lines() { tail -n +"$((seen + 1))" "$tmp/err" 2>/dev/null || true; }

# Waits (at most $2 seconds, default 60) until the game has written a new line matching the pattern.
wait_line() {
  local deadline=$((SECONDS + ${2:-60}))
  until new_lines | grep -E "$1" >/dev/null; do
    kill -0 "$game" 2>/dev/null || fail "the game ended while waiting for /$1/"
    [ "$SECONDS" -lt "$deadline" ] || fail "no /$1/ within ${2:-60} s"
    sleep 0.1
  done
}

# Waits (at most $1 seconds) for the game to end by itself; sets `status`.
finish() {
  local limit=$((${1:-60} * 10))
  for _ in $(seq "$limit"); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$game" 2>/dev/null; then kill -9 "$game"; game=""; fail "the game did not end within ${1:-60} s"; fi
  status=0
  wait "$game" || status=$?
  game=""
}

# The game's window, once it shows; then a pause so that the program settles before input.
# xdotool's search ends on an X error when a window it looks at goes meanwhile (the game's
# short-lived probe windows), so it is asked again until the window shows.
window() {
  local deadline=$((SECONDS + 60))
  wid=""
  until [ -n "$wid" ]; do
    [ "$SECONDS" -lt "$deadline" ] || fail "the window never appeared"
    wid=$(xdotool search --onlyvisible --name '^x\[vela\] 1\.3\.5$' 2>/dev/null | head -n 1) || wid=""
    [ -n "$wid" ] || sleep 0.1
  done
  sleep 0.7
}

key() {
  xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool key --clearmodifiers "$1"
}

# Frames drawn since the last device reset reach ten, on the device and back buffer given.
frames_after() { wait_line "^arena-frames: 10 $1$" "${2:-60}"; }

# Waits (at most $1 seconds, default 60) until ten frames have been drawn since the device was last
# reset, whatever change that was and whoever asked for it.
frames_after_last_reset() {
  local deadline=$((SECONDS + ${1:-60}))
  until awk '/^arena: reset /{n=0} /^arena-frames: 10 /{n=1} END{exit !n}' "$tmp/err"; do
    kill -0 "$game" 2>/dev/null || fail "the game ended while waiting for frames"
    [ "$SECONDS" -lt "$deadline" ] || fail "no ten frames since the last reset within ${1:-60} s"
    sleep 0.1
  done
}

# Screenshot of a window (default: the game's) into $tmp/shot.png.
shoot() { import -window "${1:-$wid}" "$tmp/shot.png" 2>/dev/null; }
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
# No --sync: a move to where the pointer already is would wait for ever.
click() { xdotool mousemove ${wid:+--window "$wid"} "$1" "$2" sleep 0.05 click 1; }
