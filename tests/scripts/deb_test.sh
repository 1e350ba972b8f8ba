#!/usr/bin/env bash
# Builds the Debian package and checks what it holds and what it depends on.
set -euo pipefail
build=$1
source=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/*.deb | head -n 1)
[ -f "$deb" ] || { echo "no .deb built"; exit 1; }
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/arena ./usr/libexec/xvela/arena ./usr/share/xvela/Data2/Monster.png \
         ./usr/share/xvela/Data2/monster.txt ./usr/share/applications/xvela.desktop \
         ./usr/share/icons/hicolor/128x128/apps/xvela.png; do
  grep -qF " $f" <<<"$contents" || { echo "package lacks $f"; echo "$contents"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[ -n "$depends" ] || { echo "package declares no dependencies"; exit 1; }
if grep -qE -- '-dev\b' <<<"$depends"; then echo "package depends on a -dev package"; exit 1; fi
grep -q libSDL2 <<<"$depends" || grep -q libsdl2 <<<"$depends" || { echo "SDL2 runtime missing from Depends"; exit 1; }
desktop-file-validate "$source/packaging/xvela.desktop"
echo "deb test passed"
