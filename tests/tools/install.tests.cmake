# The install rules: the programs a person runs land in <prefix>/bin with
# their documentation, and each answers --help and --version as documented.
set(option_sources
  "intro=${CMAKE_SOURCE_DIR}/platform/sdl2/intro_options.cpp"
  "modrender=${CMAKE_SOURCE_DIR}/tools/modrender/options.cpp"
  "modplay=${CMAKE_SOURCE_DIR}/tools/modplay/options.cpp"
  "modasm=${CMAKE_SOURCE_DIR}/tools/modasm/main.cpp"
  "intro-preview=${CMAKE_SOURCE_DIR}/tools/intro-preview/main.cpp"
  "intro-capture=${CMAKE_SOURCE_DIR}/tools/intro-capture/capture_options.cpp"
  "intro-pack=${CMAKE_SOURCE_DIR}/tools/intro-pack/main.cpp")
string(REPLACE ";" "|" option_sources "${option_sources}")
string(REPLACE ";" "|" programs "${INTRO_INSTALLED_PROGRAMS}")
add_test(NAME install.programs_answer_help_and_version
  COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install
          -DVERSION=${PROJECT_VERSION} "-DPROGRAMS=${programs}"
          "-DOPTION_SOURCES=${option_sources}"
          -P ${CMAKE_CURRENT_LIST_DIR}/install_test.cmake)
