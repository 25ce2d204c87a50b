# font-pixels: the font fontc makes, decoded for the web page; a file that is
# no BMP fails with the decoder's reason and leaves no output.
if(NOT TARGET font-pixels)
  return()
endif()
add_test(NAME font_pixels.decodes_the_font_and_refuses_a_non_bmp
  COMMAND ${CMAKE_COMMAND} -DFONTC=$<TARGET_FILE:fontc> -DFONT_PIXELS=$<TARGET_FILE:font-pixels>
          -DFONT_ART=${CMAKE_SOURCE_DIR}/src/data/font/font.txt
          -DWORK=${CMAKE_CURRENT_BINARY_DIR}/font_pixels_cli
          -P ${CMAKE_CURRENT_LIST_DIR}/font_pixels_cli_test.cmake)
