# The real program is started by these tests: build it first.
add_dependencies(${TEST_TARGET} arena)
gtest_discover_tests(${TEST_TARGET} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT 600)
