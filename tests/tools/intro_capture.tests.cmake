# intro-capture run as a user would run it, its files decoded with ffmpeg.
if(TARGET intro-capture AND TARGET intro-preview)
  add_executable(intro_capture_tests ${CMAKE_CURRENT_LIST_DIR}/intro_capture_test.cpp)
  target_link_libraries(intro_capture_tests PRIVATE GTest::gtest_main)
  target_compile_definitions(intro_capture_tests PRIVATE
    INTRO_CAPTURE_PATH="$<TARGET_FILE:intro-capture>"
    INTRO_PREVIEW_PATH="$<TARGET_FILE:intro-preview>"
    MODRENDER_PATH="$<TARGET_FILE:modrender>")
  add_dependencies(intro_capture_tests intro-capture intro-preview modrender)
  gtest_discover_tests(intro_capture_tests PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)
endif()
