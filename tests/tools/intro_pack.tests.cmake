# intro-pack's PE writer on images built in memory, and exe_rewrite, the helper
# the Wine end-to-end run (scripts/e2e/run-all.sh) rewrites intro.exe with.
add_executable(exe_content_tests ${CMAKE_CURRENT_LIST_DIR}/exe_content_test.cpp)
target_link_libraries(exe_content_tests PRIVATE intro_exe_content GTest::gtest_main)
gtest_discover_tests(exe_content_tests)
add_executable(exe_rewrite ${CMAKE_CURRENT_LIST_DIR}/exe_rewrite_main.cpp)
target_link_libraries(exe_rewrite PRIVATE intro_exe_content intro_tool_common)
