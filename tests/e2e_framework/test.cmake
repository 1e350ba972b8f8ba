# The real program is started by these tests: build it first, and keep the window tests apart
# from each other (they share the display and its keyboard focus).
add_dependencies(${TEST_TARGET} arena)
target_compile_definitions(${TEST_TARGET} PRIVATE _GNU_SOURCE)
gtest_discover_tests(${TEST_TARGET} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} DISCOVERY_TIMEOUT 60
                     PROPERTIES RUN_SERIAL TRUE TIMEOUT 600)
