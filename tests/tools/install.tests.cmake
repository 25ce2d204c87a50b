# The install rules: the programs a person runs land in <prefix>/bin, and
# each answers --help and --version.
add_test(NAME install.programs_answer_help_and_version
  COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install
          -DVERSION=${PROJECT_VERSION} -P ${CMAKE_CURRENT_LIST_DIR}/install_test.cmake)
