# Real windows on the shared X server: one test at a time, and never a modal box.
gtest_discover_tests(${TEST_TARGET} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} DISCOVERY_TIMEOUT 60
                     PROPERTIES RUN_SERIAL TRUE TIMEOUT 120
                     ENVIRONMENT "ARENA_NO_MESSAGE_BOXES=1;SDL_AUDIODRIVER=dummy")
# The close test speaks to the X server as a window manager would.
target_link_libraries(${TEST_TARGET} PRIVATE PkgConfig::X11)
