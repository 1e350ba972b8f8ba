#!/usr/bin/env bash
# Configures and builds one flavour: release (playing), asan (tests), bench, fuzz (libFuzzer
# targets) or package (the Debian package). The tree is build/<flavour>, or ARENA_BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
shift || true
dir=${ARENA_BUILD_DIR:-build/$flavour}
jobs=$(nproc 2>/dev/null || echo 2)
case "$flavour" in
  release) cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DARENA_TESTS=OFF -DARENA_TOOLS=OFF "$@" ;;
  asan)    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DARENA_SANITIZE=ON "$@" ;;
  bench)   cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DARENA_TESTS=OFF "$@" ;;
  fuzz)    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DARENA_FUZZ=ON \
             -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "$@" ;;
  # Release code with Debian's hardening flags (fortified functions, read-only relocations bound
  # at start-up) and debug information for the separate debug package, installed as a game.
  package)
    flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DARENA_TESTS=OFF -DARENA_TOOLS=OFF -DARENA_BENCH=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr -DARENA_GAMES_LAYOUT=ON \
      -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" "$@" ;;
  *) echo "build.sh: unknown flavour $flavour (release, asan, bench, fuzz, package)" >&2; exit 2 ;;
esac
cmake --build "$dir" -j "$jobs"
