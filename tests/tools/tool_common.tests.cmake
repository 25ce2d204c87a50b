# The plumbing the tools share: safe output files and bytes as C++ source.
add_executable(tool_common_tests ${CMAKE_CURRENT_LIST_DIR}/tool_common_test.cpp)
target_link_libraries(tool_common_tests PRIVATE intro_tool_common intro_authoring GTest::gtest_main)
gtest_discover_tests(tool_common_tests)
