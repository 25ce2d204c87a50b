# modplay: its playback logic on the in-memory stream.
if(TARGET modplay_core)
  add_executable(modplay_playback_tests ${CMAKE_CURRENT_LIST_DIR}/modplay_playback_test.cpp)
  target_link_libraries(modplay_playback_tests PRIVATE modplay_core intro_platform_native
                        test_builtin_module sound_test_modules GTest::gtest_main)
  gtest_discover_tests(modplay_playback_tests TEST_PREFIX modplay.)
endif()

# The program end to end on SDL's disk audio driver (and tmux for the view).
if(TARGET modplay)
  foreach(test disk view watch errors)
    add_test(NAME modplay.${test}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/modplay_e2e.sh ${test}
                     ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} ${CMAKE_SOURCE_DIR})
    set_tests_properties(modplay.${test} PROPERTIES TIMEOUT 60)
  endforeach()
endif()
