#!/usr/bin/env bash
# The package checks of the test suite: builds the Debian packages (twice, the second time from a
# copy of the tree elsewhere, which must give the same bytes) and checks them as Debian would, then
# installs the game in both layouts and starts it. Needs the sanitizer build (scripts/build.sh asan)
# or the tree in ARENA_TEST_TREE; the package tree is <that tree>/package.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${ARENA_TEST_TREE:-build/asan}
[ -f "$tree/CMakeCache.txt" ] || { echo "package-test: no build tree in $tree (run scripts/build.sh asan)" >&2; exit 2; }
. scripts/test-env.sh
# As for the other real-program tests: the sanitizer build's game is started, and the leak check
# would report the libraries' own leaks, which carry no symbols to suppress by.
export ASAN_OPTIONS=detect_leaks=0
status=0
for check in deb_test install_test; do
  start=$SECONDS
  if bash "tests/package/$check.sh" "$tree" "$PWD"; then
    echo "package-test: $check passed in $((SECONDS - start)) s"
  else
    echo "package-test: $check FAILED" >&2
    status=1
  fi
done
exit "$status"
