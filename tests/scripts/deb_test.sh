#!/usr/bin/env bash
# Builds the Debian package from its own tree (hardened release code, installed as a game) and
# checks it as Debian would: lintian reports no error and no warning, the metainfo and the
# desktop entry validate, and the package holds what a desktop game ships.
set -euo pipefail
build=$1
source=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "deb test: $*"; exit 1; }

# The install test builds the same tree; whichever runs second finds it up to date.
ARENA_BUILD_DIR="$build/package" bash "$source/scripts/build.sh" package >"$out/build.log" 2>&1 ||
  { tail -n 40 "$out/build.log"; fail "the package tree did not build"; }
(cd "$build/package" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; fail "cpack failed"; }
deb=$(ls "$out"/*.deb | head -n 1)
[ -f "$deb" ] || fail "no .deb built"

status=0
report=$(lintian --display-info --pedantic --fail-on error,warning "$deb" 2>&1) || status=$?
report=$(grep -v "running with root privileges" <<<"$report" || true)
echo "lintian: ${report:-no tags}"
[ "$status" -eq 0 ] || fail "lintian reports errors or warnings (status $status)"

contents=$(dpkg-deb -c "$deb")
expected=(./usr/games/xvela ./usr/libexec/xvela/arena ./usr/share/man/man6/xvela.6.gz
          ./usr/share/metainfo/org.xvela.xvela.metainfo.xml ./usr/share/applications/org.xvela.xvela.desktop
          ./usr/share/doc/xvela/copyright ./usr/share/doc/xvela/changelog.gz)
for f in "$source"/Data2/*; do expected+=("./usr/share/games/xvela/Data2/${f##*/}"); done
for size in 32 48 64 128 256; do expected+=("./usr/share/icons/hicolor/${size}x$size/apps/xvela.png"); done
for f in "${expected[@]}"; do
  grep -qE " $f\$" <<<"$contents" || { echo "$contents"; fail "package lacks $f"; }
done
if grep -qE ' \./usr/(bin|share/xvela)/' <<<"$contents"; then echo "$contents"; fail "ordinary layout in the package"; fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[ -n "$depends" ] || fail "package declares no dependencies"
if grep -qE -- '-dev\b' <<<"$depends"; then fail "package depends on a -dev package"; fi
grep -qi libsdl2 <<<"$depends" || fail "SDL2 runtime missing from Depends"

# What software centres and desktops read, as installed; validate-tree also finds the desktop
# entry the metainfo names as its launchable.
dpkg-deb -x "$deb" "$out/root"
desktop-file-validate "$out/root/usr/share/applications/org.xvela.xvela.desktop"
appstreamcli validate-tree --no-net "$out/root" || fail "metainfo does not validate"

# The stripped program's debug information is kept beside the package under its build id.
id=$(readelf -n "$out/root/usr/libexec/xvela/arena" | sed -n 's/.*Build ID: //p')
[ -n "$id" ] || fail "the packaged program has no build id"
[ -s "$out/debug/.build-id/${id:0:2}/${id:2}.debug" ] || fail "no debug information for build id $id"
echo "deb test passed"
