# Runs font-pixels on the font fontc makes from the intro's art: 256 x 16 in
# its four inks, the background first (the top-left pixel), then one byte a
# pixel; and on a file
# that is no BMP: exit 1 with the decoder's reason, no output left.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${FONTC} ${FONT_ART} ${WORK}/font.bmp RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fontc failed: ${result}")
endif()
execute_process(COMMAND ${FONT_PIXELS} ${WORK}/font.bmp ${WORK}/font.pixels RESULT_VARIABLE result
                ERROR_VARIABLE message)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "font-pixels failed: ${result} ${message}")
endif()
file(SIZE ${WORK}/font.pixels size)
file(READ ${WORK}/font.pixels start LIMIT 16 HEX)
if(NOT size EQUAL 4124 OR NOT start STREQUAL "00010000100000000400000047001300")
  message(FATAL_ERROR "font.pixels: ${size} bytes starting ${start}")
endif()

file(WRITE ${WORK}/text.bmp "not a bitmap\n")
execute_process(COMMAND ${FONT_PIXELS} ${WORK}/text.bmp ${WORK}/text.pixels RESULT_VARIABLE result
                ERROR_VARIABLE message)
if(NOT result EQUAL 1 OR NOT message MATCHES "text.bmp: 13 bytes, too short for a BMP header")
  message(FATAL_ERROR "a text file: exit ${result}, message ${message}")
endif()
if(EXISTS ${WORK}/text.pixels)
  message(FATAL_ERROR "font-pixels left an output file behind")
endif()
