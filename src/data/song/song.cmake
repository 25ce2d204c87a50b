# The intro's song: modasm assembles its source (INTRO_SONG_SOURCE, by default
# intro-song.fcs here) at build time into a module file and a C++ file defining
# ModuleImage, which joins intro_data.
# The SMOD test song is assembled in native builds only, for the tests.
intro_host_tool(INTRO_MODASM modasm)

set(INTRO_SONG_DIR ${CMAKE_CURRENT_BINARY_DIR}/song)
set(INTRO_SONG_MODULE ${INTRO_SONG_DIR}/intro-song.mod)
set(INTRO_SONG_CPP ${INTRO_SONG_DIR}/module_image.cpp)
file(MAKE_DIRECTORY ${INTRO_SONG_DIR})

add_custom_command(
  OUTPUT ${INTRO_SONG_MODULE} ${INTRO_SONG_CPP}
  COMMAND ${INTRO_MODASM} ${INTRO_SONG_SOURCE} -o ${INTRO_SONG_MODULE}
          --cpp ${INTRO_SONG_CPP} --symbol ModuleImage
  DEPENDS ${INTRO_SONG_SOURCE} ${INTRO_MODASM_DEPENDS}
  COMMENT "Assembling the intro's song"
  VERBATIM)
target_sources(intro_data PRIVATE ${INTRO_SONG_CPP})
set_property(GLOBAL PROPERTY INTRO_SONG_SOURCE ${INTRO_SONG_SOURCE})
set_property(GLOBAL PROPERTY INTRO_SONG_MODULE ${INTRO_SONG_MODULE})

if(NOT CMAKE_CROSSCOMPILING)
  set(INTRO_SMOD_TEST_SOURCE ${CMAKE_CURRENT_LIST_DIR}/smod-test.fcs)
  set(INTRO_SMOD_TEST_MODULE ${INTRO_SONG_DIR}/smod-test.mod)
  add_custom_command(
    OUTPUT ${INTRO_SMOD_TEST_MODULE}
    COMMAND ${INTRO_MODASM} ${INTRO_SMOD_TEST_SOURCE} -o ${INTRO_SMOD_TEST_MODULE}
    DEPENDS ${INTRO_SMOD_TEST_SOURCE} ${INTRO_MODASM_DEPENDS}
    COMMENT "Assembling the SMOD test song"
    VERBATIM)
  # Tests that read the module files depend on this target and take the paths
  # from the global properties INTRO_SONG_MODULE and INTRO_SMOD_TEST_MODULE.
  add_custom_target(intro_test_songs ALL DEPENDS ${INTRO_SONG_MODULE} ${INTRO_SMOD_TEST_MODULE})
  set_property(GLOBAL PROPERTY INTRO_SMOD_TEST_MODULE ${INTRO_SMOD_TEST_MODULE})
endif()
