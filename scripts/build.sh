#!/usr/bin/env bash
# Configures and builds one flavour: release (playing), asan (tests) or fuzz (libFuzzer targets).
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
shift || true
jobs=$(nproc 2>/dev/null || echo 2)
case "$flavour" in
  release) cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DARENA_TESTS=OFF -DARENA_TOOLS=OFF "$@" ;;
  asan)    cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DARENA_SANITIZE=ON "$@" ;;
  bench)   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DARENA_TESTS=OFF "$@" ;;
  fuzz)    cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DARENA_FUZZ=ON \
             -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "$@" ;;
  *) echo "build.sh: unknown flavour $flavour (release, asan, bench, fuzz)" >&2; exit 2 ;;
esac
cmake --build "build/$flavour" -j "$jobs"
