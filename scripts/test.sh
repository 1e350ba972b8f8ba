#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers and runs the whole test suite:
# unit and whole-game tests (CTest), real-window tests under Xvfb, and the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh asan

# Real-window tests talk to this X server; -noreset keeps it alive between clients.
# ARENA_TEST_DISPLAY picks its number where several people test on one machine.
display=${ARENA_TEST_DISPLAY:-":$((90 + RANDOM % 9))"}
Xvfb "$display" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  xdpyinfo -display "$display" >/dev/null 2>&1 && break
  sleep 0.1
done
# Autorepeat would turn a key that a killed test left down into a stream of presses for whatever
# window comes next; the tests press every key explicitly.
xset -display "$display" -r || true
export ARENA_XVFB_DISPLAY="$display"
# Nobody is there to answer a modal box.
export ARENA_NO_MESSAGE_BOXES=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# Mesa's and SDL's own leaks are not ours.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"

log=$(mktemp)
status=0
# Real-window tests drive a shared X server by timing; a case that fails is run again (up to
# three times) before it counts as failed.
ctest --test-dir build/asan --output-on-failure -j "$(nproc 2>/dev/null || echo 2)" --timeout 300 \
  --repeat until-pass:3 \
  2>&1 | tee "$log" || status=$?
summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
rm -f "$log"
total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
failed=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
[ -n "$summary" ] || { total=0; failed=0; status=1; }
passed=$((total - failed))

# The fuzz run counts as one more check in the closing line.
fuzz_status=0
bash scripts/fuzz.sh || fuzz_status=$?
if [ "$fuzz_status" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi

echo "$passed passed, $failed failed"
[ "$status" -eq 0 ] && [ "$fuzz_status" -eq 0 ]
