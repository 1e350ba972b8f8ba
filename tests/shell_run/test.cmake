# Runs the game itself, the real-window case on an X server of its own.
gtest_discover_tests(${TEST_TARGET} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT 300
                     ENVIRONMENT "ARENA_NO_MESSAGE_BOXES=1;SDL_AUDIODRIVER=dummy")
