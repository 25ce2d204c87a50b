# modasm: the assembler's layout and checks (through its library) and its
# command line; the disassembler's round trips; then the intro's song as the
# replayer plays it.
if(TARGET modasm)
  add_executable(modasm_tests
    ${CMAKE_CURRENT_LIST_DIR}/modasm_test_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/modasm_layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/modasm_check_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/modasm_cli_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/song_view_test.cpp)
  target_include_directories(modasm_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(modasm_tests PRIVATE intro_authoring test_builtin_module GTest::gtest_main)
  target_compile_definitions(modasm_tests PRIVATE MODASM_PATH="$<TARGET_FILE:modasm>"
    MODASM_REFERENCE_DOC="${CMAKE_SOURCE_DIR}/docs/module-source.md"
    INTRO_SONG_FCS="${CMAKE_SOURCE_DIR}/src/data/song/intro-song.fcs")
  add_dependencies(modasm_tests modasm)
  gtest_discover_tests(modasm_tests)
endif()

get_property(intro_song_source GLOBAL PROPERTY INTRO_SONG_SOURCE)
get_property(intro_song_module GLOBAL PROPERTY INTRO_SONG_MODULE)
get_property(intro_smod_test_module GLOBAL PROPERTY INTRO_SMOD_TEST_MODULE)

# The disassembler's round trips: the songs modasm builds and the test modules.
if(TARGET modasm_tests AND TARGET sound_test_modules AND intro_smod_test_module)
  target_sources(modasm_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/modasm_disassembly_test.cpp)
  target_link_libraries(modasm_tests PRIVATE sound_test_modules)
  target_compile_definitions(modasm_tests PRIVATE
    INTRO_SONG_MODULE="${intro_song_module}"
    INTRO_SMOD_TEST_MODULE="${intro_smod_test_module}"
    EXAMPLE_SONG_SOURCE="${CMAKE_SOURCE_DIR}/examples/own-intro/song.fcs")
  add_dependencies(modasm_tests intro_test_songs)
endif()
if(TARGET modasm AND TARGET intro_replayer AND TARGET modrender_core AND intro_smod_test_module)
  add_executable(song_tests
    ${CMAKE_CURRENT_LIST_DIR}/modasm_test_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/intro_song_test.cpp)
  target_include_directories(song_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(song_tests PRIVATE
    test_builtin_module intro_audio intro_platform_native modrender_core intro_authoring
    GTest::gtest_main)
  target_compile_definitions(song_tests PRIVATE
    INTRO_SONG_SOURCE="${intro_song_source}"
    INTRO_SMOD_TEST_MODULE="${intro_smod_test_module}")
  add_dependencies(song_tests intro_test_songs)
  gtest_discover_tests(song_tests)
endif()
