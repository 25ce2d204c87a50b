# The font: fontc turns the font art (INTRO_FONT_ART, by default font.txt
# here) into the 4-bit bitmap of resource 103 at
#   ${CMAKE_BINARY_DIR}/data/font.bmp   (global property INTRO_FONT_BMP)
# for the win32 resource compiler, and, natively and on the web, into a C++
# source with the same bytes for the built-in resource table.
intro_host_tool(INTRO_FONTC fontc)
set(INTRO_FONT_BMP_PATH ${CMAKE_BINARY_DIR}/data/font.bmp)
set(INTRO_FONT_SOURCE ${CMAKE_BINARY_DIR}/data/font_bitmap.cpp)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/data)
add_custom_command(
  OUTPUT ${INTRO_FONT_BMP_PATH} ${INTRO_FONT_SOURCE}
  COMMAND ${INTRO_FONTC} ${INTRO_FONT_ART} ${INTRO_FONT_BMP_PATH} ${INTRO_FONT_SOURCE}
  DEPENDS ${INTRO_FONT_ART} ${INTRO_FONTC_DEPENDS}
  COMMENT "Building the font bitmap from the font art"
  VERBATIM)
add_custom_target(intro_font DEPENDS ${INTRO_FONT_BMP_PATH} ${INTRO_FONT_SOURCE})
set_property(GLOBAL PROPERTY INTRO_FONT_BMP ${INTRO_FONT_BMP_PATH})
if(NOT CMAKE_CROSSCOMPILING OR EMSCRIPTEN)
  target_sources(intro_data PRIVATE ${INTRO_FONT_SOURCE})
endif()
add_dependencies(intro_data intro_font)
