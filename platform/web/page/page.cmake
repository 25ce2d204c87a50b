# The page's parts beyond the two modules, included by platform/web:
#   web_text.cpp   the typed text for the page's assistive-technology log
#   font.pixels    the font bitmap fontc makes, decoded by the core's decoder
#                  (the host program font-pixels), for the lines the page
#                  script draws itself when a part of the page cannot be
#                  loaded (it cannot take the font from intro.wasm when that
#                  is missing)
target_sources(intro_web PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../web_text.cpp)
intro_host_tool(INTRO_FONT_PIXELS font-pixels)
get_property(intro_font_bmp GLOBAL PROPERTY INTRO_FONT_BMP)
set(font_pixels ${CMAKE_CURRENT_BINARY_DIR}/font.pixels)
add_custom_command(OUTPUT ${font_pixels}
  COMMAND ${INTRO_FONT_PIXELS} ${intro_font_bmp} ${font_pixels}
  DEPENDS ${INTRO_FONT_PIXELS_DEPENDS} ${intro_font_bmp}
  COMMENT "Decoding the font for the page's own lines"
  VERBATIM)
add_custom_target(web_font_pixels DEPENDS ${font_pixels})
# The page's programs take their font from the built-in pack; this is the one
# thing here that needs fontc's file.
add_dependencies(web_font_pixels intro_font)
add_dependencies(web_page web_font_pixels)
add_custom_command(TARGET web_page POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${font_pixels} ${INTRO_WEB_SITE}/font.pixels
  VERBATIM)
# content.json tells the page which pack beside it to play: the built page
# has none (intro-pack's web folder writes its own, naming content.intro).
add_custom_command(TARGET web_page POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/content.json ${INTRO_WEB_SITE}/content.json
  VERBATIM)
