#!/usr/bin/env bash
# Builds the Debian packages with scripts/package.sh from their own tree (hardened release code,
# installed as a game) and checks them as Debian would: lintian reports no error and no warning on
# either, the metainfo and the desktop entry validate, the game's package holds what a desktop game
# ships, and with the debug-symbol package installed beside it gdb reads the program's lines. Neither
# the program nor its debug information names the trees it was built in. Last, the same tree is
# copied elsewhere and built again, at another time and with another umask, locale and time zone:
# both packages must come out the same byte for byte.
set -euo pipefail
build=$1
source=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "deb test: $*"; exit 1; }

# A compiler cache that rewrites the tree's paths into relative ones would put its own paths into
# the debug information; both builds compile for themselves.
export CCACHE_DISABLE=1
# The install test uses the same tree; after this one it finds it up to date.
rm -f "$build"/package/*.deb
start=$SECONDS
(umask 022; LC_ALL=C TZ=UTC ARENA_BUILD_DIR="$build/package" bash "$source/scripts/package.sh") >"$out/build.log" 2>&1 ||
  { tail -n 40 "$out/build.log"; fail "package.sh failed"; }
echo "first package build: $((SECONDS - start)) s"
debs=("$build"/package/xvela_*.deb "$build"/package/xvela-dbgsym_*.deb)
for f in "${debs[@]}"; do [ -f "$f" ] || fail "package.sh made no ${f##*/}"; done
deb=${debs[0]}
dbgsym=${debs[1]}

for package in "${debs[@]}"; do
  status=0
  # lintian leaves folders of its own in TMPDIR: they go with this test's scratch folder.
  report=$(TMPDIR=$out lintian --display-info --pedantic --fail-on error,warning "$package" 2>&1) || status=$?
  report=$(grep -v "running with root privileges" <<<"$report" || true)
  echo "lintian ${package##*/}: ${report:-no tags}"
  [ "$status" -eq 0 ] || fail "lintian reports errors or warnings on ${package##*/} (status $status)"
done

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

# Both installed into a root of their own, as dpkg does it (no file of one may be the other's). The
# game's libraries are not in that root's package database, hence --force-depends.
root=$out/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-not-root -i "$deb" "$dbgsym" >"$out/dpkg.log" 2>&1 ||
  { cat "$out/dpkg.log"; fail "the packages do not install side by side"; }
for name in xvela xvela-dbgsym; do
  dpkg --root="$root" -s "$name" 2>/dev/null | grep -q '^Status: install ok installed$' ||
    { cat "$out/dpkg.log"; fail "$name is not installed"; }
done

# What software centres and desktops read, as installed; validate-tree also finds the desktop
# entry the metainfo names as its launchable.
desktop-file-validate "$root/usr/share/applications/org.xvela.xvela.desktop"
appstreamcli validate-tree --no-net "$root" || fail "metainfo does not validate"

# The installed program is stripped; gdb finds its debug information by build id in the debug
# package's tree and reads the program's lines from it.
program=$root/usr/libexec/xvela/arena
id=$(readelf -n "$program" | sed -n 's/.*Build ID: //p')
[ -n "$id" ] || fail "the packaged program has no build id"
[ -s "$root/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" ] || fail "no debug information for build id $id"
[ "$(dpkg-deb -f "$dbgsym" Build-Ids)" = "$id" ] || fail "the debug package names build ids $(dpkg-deb -f "$dbgsym" Build-Ids), not $id"
where=$(gdb -nx -batch -iex "set debuginfod enabled off" -iex "set debug-file-directory $root/usr/lib/debug" \
  -ex "info line main" "$program" 2>&1)
grep -qE '^Line [0-9]+ of "(\./)?arena\.cpp"' <<<"$where" || fail "gdb finds no line for main: $where"

# Traces and debug information name files relative to the tree: the packaged program, before it
# was stripped, names neither the source tree nor the build tree.
found=$(strings -a "$build/package/arena" | grep -F -e "$source" -e "$(cd "$build" && pwd -P)" | head -n 3 || true)
[ -z "$found" ] || fail "the program names the build machine's trees: $found"

# The same tree at another path (every file git knows of, committed or not; outside a checkout,
# all but the build trees) with other dates and modes, as a checkout made with umask 002 has them;
# built later, in a build tree outside it, with another umask, locale and time zone.
copy=$out/another/place/for/the/tree
mkdir -p "$copy"
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$source" ls-files -z --cached --others --exclude-standard |
    (cd "$source" && tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -xf - -C "$copy"
else
  tar -C "$source" --exclude='./build*' -cf - . | tar -xf - -C "$copy"
fi
chmod -R g+w "$copy"
find "$copy" -exec touch -h -d '2001-02-03 04:05:06' {} +
start=$SECONDS
(umask 002; cd /; LC_ALL=C.UTF-8 TZ=XYZ-5:30 ARENA_BUILD_DIR="$out/b" bash "$copy/scripts/package.sh") >"$out/build2.log" 2>&1 ||
  { tail -n 40 "$out/build2.log"; fail "package.sh failed in the copy"; }
echo "second package build: $((SECONDS - start)) s"
for f in "${debs[@]}"; do
  again=$out/b/${f##*/}
  [ -f "$again" ] || fail "the copy made no ${f##*/}"
  if ! cmp "$f" "$again"; then
    diff <(dpkg-deb -I "$f"; dpkg-deb -c "$f") <(dpkg-deb -I "$again"; dpkg-deb -c "$again") || true
    fail "${f##*/} differs when built from another place at another time"
  fi
done
echo "deb test passed"
