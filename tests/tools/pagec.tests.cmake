add_executable(pagec_tests ${CMAKE_CURRENT_LIST_DIR}/pagec_test.cpp)
target_link_libraries(pagec_tests PRIVATE intro_authoring intro_builtin_pack GTest::gtest_main)
target_compile_definitions(pagec_tests PRIVATE
  PAGES_TEXT_PATH="${CMAKE_SOURCE_DIR}/src/data/text/pages.txt")
gtest_discover_tests(pagec_tests)

