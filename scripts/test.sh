#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers and runs the whole test suite:
# unit and whole-game tests (CTest), real-window tests under Xvfb, and the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh asan

# Real-window tests talk to this X server; -noreset keeps it alive between clients.
display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  xdpyinfo -display "$display" >/dev/null 2>&1 && break
  sleep 0.1
done
export ARENA_XVFB_DISPLAY="$display"
# Nobody is there to answer a modal box.
export ARENA_NO_MESSAGE_BOXES=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# Mesa's and SDL's own leaks are not ours.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"

ctest --test-dir build/asan --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" --timeout 300

if [ -x scripts/fuzz.sh ] || [ -f scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh
fi
