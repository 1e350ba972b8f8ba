# Sourced by test.sh and soak-tests.sh: the environment the test suite runs in, and how CTest is
# run (the same for both, so that a soak measures what the README's command runs).

# Every test that needs a display starts an X server (or a compositor) of its own; none may reach
# the desktop the suite is started from.
unset DISPLAY WAYLAND_DISPLAY
# Nobody is there to answer a modal box.
export ARENA_NO_MESSAGE_BOXES=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# Mesa's and SDL's own leaks are not ours.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"

# Each case runs once: a failure is a fault to find, never a reason to run the case again.
ctest_args=(--output-on-failure -j "$(nproc 2>/dev/null || echo 2)" --timeout 300)
