# Real windows, each test on an X server of its own; never a modal box.
gtest_discover_tests(${TEST_TARGET} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT 300
                     ENVIRONMENT "ARENA_NO_MESSAGE_BOXES=1;SDL_AUDIODRIVER=dummy")
# The close test speaks to the X server as a window manager would.
target_link_libraries(${TEST_TARGET} PRIVATE PkgConfig::X11)
