# The authoring library's PE writer and the measure of its parts on images
# built in memory, the single-file web page, and BuildContent on texts, as
# intro-pack and the maker call them.
add_executable(exe_content_tests ${CMAKE_CURRENT_LIST_DIR}/exe_content_test.cpp
               ${CMAKE_CURRENT_LIST_DIR}/content_build_test.cpp ${CMAKE_CURRENT_LIST_DIR}/single_html_test.cpp)
target_link_libraries(exe_content_tests PRIVATE intro_authoring GTest::gtest_main)
target_compile_definitions(exe_content_tests PRIVATE
  EXAMPLE_CONTENT_DIR="${CMAKE_SOURCE_DIR}/examples/own-intro")
gtest_discover_tests(exe_content_tests)
