# The whole game runs headless on the reference device: one long test per way of playing. Plain
# add_test, because test discovery would pass only the first of several environment entries on.
# The font library's own allocations are not ours (the same suppressions as scripts/test.sh).
foreach(name PlaysABattleToTheNextOne PlaysABattleToTheNextOneWithKeysOnly PlaysABattleToTheNextOneWithAGameController)
  add_test(NAME WholeGame.${name} COMMAND ${TEST_TARGET} --gtest_filter=WholeGame.${name}
           WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(WholeGame.${name} PROPERTIES TIMEOUT 1200 ENVIRONMENT
    "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/scripts/lsan.supp:print_suppressions=0")
endforeach()
