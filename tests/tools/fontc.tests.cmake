add_executable(fontc_tests ${CMAKE_CURRENT_LIST_DIR}/fontc_test.cpp)
target_link_libraries(fontc_tests PRIVATE intro_authoring GTest::gtest_main)
gtest_discover_tests(fontc_tests)

# The command line: malformed art fails with file:line, leaving no output.
add_test(NAME fontc.malformed_art_leaves_no_output
  COMMAND ${CMAKE_COMMAND} -DFONTC=$<TARGET_FILE:fontc> -DWORK=${CMAKE_CURRENT_BINARY_DIR}/fontc_cli
          -P ${CMAKE_CURRENT_LIST_DIR}/fontc_cli_test.cmake)
target_compile_definitions(fontc_tests PRIVATE FONT_ART_PATH="${CMAKE_SOURCE_DIR}/src/data/font/font.txt")
