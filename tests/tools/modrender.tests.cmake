# modrender's command line, run as a user would run it.
if(TARGET modrender)
  add_executable(modrender_cli_tests ${CMAKE_CURRENT_LIST_DIR}/modrender_cli_test.cpp)
  target_link_libraries(modrender_cli_tests PRIVATE sound_test_modules GTest::gtest_main)
  target_compile_definitions(modrender_cli_tests PRIVATE
    MODRENDER_PATH="$<TARGET_FILE:modrender>"
    INTRO_GOLDEN_DIR="${CMAKE_SOURCE_DIR}/tests/golden")
  add_dependencies(modrender_cli_tests modrender)
  gtest_discover_tests(modrender_cli_tests)
endif()
if(TARGET modrender AND TARGET intro_builtin_pack)
  target_compile_definitions(modrender_cli_tests PRIVATE MODRENDER_HAVE_BUILTIN)
endif()
