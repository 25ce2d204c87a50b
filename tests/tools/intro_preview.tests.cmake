# intro-preview's command line: bad arguments fail clearly and write nothing;
# a good run writes a PNG.
if(NOT TARGET intro-preview)
  return()
endif()
add_test(NAME intro_preview.command_line
  COMMAND ${CMAKE_COMMAND} -DPREVIEW=$<TARGET_FILE:intro-preview>
          -DWORK=${CMAKE_CURRENT_BINARY_DIR}/preview_cli
          -P ${CMAKE_CURRENT_LIST_DIR}/intro_preview_cli_test.cmake)
