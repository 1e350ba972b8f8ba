#!/usr/bin/env bash
# Installs in both layouts and starts each installed command from another directory: the game
# must find its data, load all eight images and end cleanly after 30 frames. The ordinary layout
# comes from this tree with a plain prefix; the games layout from the package's tree, installed
# under a temporary root as the package puts it. The manual page must render.
set -euo pipefail
build=$1
source=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "install test: $*"; exit 1; }

# The deb test builds the same tree; run after it, this finds it up to date.
ARENA_BUILD_DIR="$build/package" bash "$source/scripts/build.sh" package >"$tmp/build.log" 2>&1 ||
  { tail -n 40 "$tmp/build.log"; fail "the package tree did not build"; }
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
DESTDIR="$tmp/root" cmake --install "$build/package" >/dev/null

for f in prefix/bin/xvela prefix/libexec/xvela/arena prefix/share/xvela/Data2/monster.txt \
         prefix/share/man/man6/xvela.6.gz root/usr/games/xvela root/usr/libexec/xvela/arena \
         root/usr/share/games/xvela/Data2/monster.txt root/usr/share/man/man6/xvela.6.gz; do
  [ -e "$tmp/$f" ] || fail "not installed: $f"
done

mkdir "$tmp/elsewhere"
cd "$tmp/elsewhere"
for command in "$tmp/prefix/bin/xvela" "$tmp/root/usr/games/xvela"; do
  status=0
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 120 "$command" \
    -quitafterframe:30 -noerrormsgboxes 2>"$tmp/stderr" || status=$?
  [ "$status" -eq 0 ] || { cat "$tmp/stderr"; fail "$command exited with $status"; }
  loaded=$(grep -c "Init Sprite" "$tmp/stderr" || true)
  [ "$loaded" -ge 8 ] || { cat "$tmp/stderr"; fail "$command: expected eight images to be loaded, saw $loaded"; }
  if grep -qiE "cannot|missing|not found|fail" "$tmp/stderr"; then
    cat "$tmp/stderr"; fail "$command reported a failure"
  fi
done

page=$(MANWIDTH=80 man --warnings -l "$tmp/root/usr/share/man/man6/xvela.6.gz" 2>"$tmp/man.err") ||
  { cat "$tmp/man.err"; fail "man cannot render the page"; }
[ ! -s "$tmp/man.err" ] || { cat "$tmp/man.err"; fail "man warns about the page"; }
for heading in SYNOPSIS OPTIONS KEYS "EXIT STATUS" FILES; do
  grep -q "^$heading" <<<"$page" || fail "the page has no $heading section"
done
grep -q "/usr/share/games/xvela/Data2/" <<<"$page" || fail "the page does not name the installed data"
echo "install test passed"
