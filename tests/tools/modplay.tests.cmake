# modplay: its playback logic on the in-memory stream.
if(TARGET modplay_core)
  add_executable(modplay_playback_tests ${CMAKE_CURRENT_LIST_DIR}/modplay_playback_test.cpp)
  target_link_libraries(modplay_playback_tests PRIVATE modplay_core intro_platform_native
                        intro_data sound_test_modules GTest::gtest_main)
  gtest_discover_tests(modplay_playback_tests)
endif()
