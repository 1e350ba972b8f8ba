#!/usr/bin/env bash
# Installs what is missing, builds the package flavour and makes the Debian package and its
# debug-symbol package (xvela-dbgsym) in build/package/, or in ARENA_BUILD_DIR.
#
# The packages depend only on the source tree: their files are dated by the newest changelog
# entry (unless SOURCE_DATE_EPOCH is set already), and the build maps its paths out of the program,
# so the same tree gives the same packages byte for byte wherever and whenever it is built.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${ARENA_BUILD_DIR:-build/package}
# Some modes in the packages come from the umask; this is the one dpkg-buildpackage sets.
umask 022
bash scripts/install-deps.sh
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l packaging/changelog -STimestamp)}
export SOURCE_DATE_EPOCH
ARENA_BUILD_DIR=$dir bash scripts/build.sh package
(cd "$dir" && cpack -G DEB)
ls -1 "$(cd "$dir" && pwd)"/*.deb
