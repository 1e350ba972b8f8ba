# Sourced by test.sh and soak-tests.sh: the environment the test suite runs in, and how CTest is
# run (the same for both, so that a soak measures what the README's command runs).

# Real-window tests talk to this X server; -noreset keeps it alive between clients.
# ARENA_TEST_DISPLAY picks its number where several people test on one machine.
shared_display() {
  display=${ARENA_TEST_DISPLAY:-":$((90 + RANDOM % 9))"}
  Xvfb "$display" -screen 0 1280x1024x24 -noreset -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    xdpyinfo -display "$display" >/dev/null 2>&1 && break
    sleep 0.1
  done
  # Autorepeat would turn a key that a killed test left down into a stream of presses for whatever
  # window comes next; the tests press every key explicitly.
  xset -display "$display" -r || true
  export ARENA_XVFB_DISPLAY="$display"
}

# Nobody is there to answer a modal box.
export ARENA_NO_MESSAGE_BOXES=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# Mesa's and SDL's own leaks are not ours.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"

ctest_args=(--output-on-failure -j "$(nproc 2>/dev/null || echo 2)" --timeout 300)
