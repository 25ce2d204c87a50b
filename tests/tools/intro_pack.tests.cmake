# intro-pack's PE writer on images built in memory.
add_executable(exe_content_tests ${CMAKE_CURRENT_LIST_DIR}/exe_content_test.cpp)
target_link_libraries(exe_content_tests PRIVATE intro_exe_content GTest::gtest_main)
gtest_discover_tests(exe_content_tests)
