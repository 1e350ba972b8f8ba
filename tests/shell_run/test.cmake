# Runs the game itself; the real-window case shares the Xvfb server, so one at a time.
gtest_discover_tests(${TEST_TARGET} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} DISCOVERY_TIMEOUT 60
                     PROPERTIES RUN_SERIAL TRUE TIMEOUT 180
                     ENVIRONMENT "ARENA_NO_MESSAGE_BOXES=1;SDL_AUDIODRIVER=dummy")
