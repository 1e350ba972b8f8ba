#!/usr/bin/env bash
# Installs into a temporary prefix and starts the launcher from another directory: the game must
# find its data, load all eight images and end cleanly after 30 frames.
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
for f in bin/arena libexec/xvela/arena share/xvela/Data2/monster.txt \
         share/applications/xvela.desktop share/icons/hicolor/128x128/apps/xvela.png; do
  [ -e "$tmp/prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
mkdir "$tmp/elsewhere"
cd "$tmp/elsewhere"
status=0
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 120 "$tmp/prefix/bin/arena" \
  -quitafterframe:30 -noerrormsgboxes 2>"$tmp/stderr" || status=$?
if [ "$status" -ne 0 ]; then
  echo "launcher exited with $status"; cat "$tmp/stderr"; exit 1
fi
loaded=$(grep -c "Init Sprite" "$tmp/stderr" || true)
if [ "$loaded" -lt 8 ]; then
  echo "expected eight images to be loaded, saw $loaded"; cat "$tmp/stderr"; exit 1
fi
if grep -qiE "cannot|missing|not found|fail" "$tmp/stderr"; then
  echo "the run reported a failure:"; cat "$tmp/stderr"; exit 1
fi
echo "install test passed"
