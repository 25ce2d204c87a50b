# The page's parts beyond the two modules, included by platform/web:
#   web_text.cpp   the typed text for the page's assistive-technology log
#   font.bmp       the font bitmap fontc makes, for the lines the page script
#                  draws itself when a part of the page cannot be loaded
#                  (it cannot take the font from intro.wasm when that is missing)
target_sources(intro_web PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../web_text.cpp)
get_property(intro_font_bmp GLOBAL PROPERTY INTRO_FONT_BMP)
add_custom_command(TARGET web_page POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${intro_font_bmp} ${INTRO_WEB_SITE}/font.bmp
  VERBATIM)
# The page's programs take their font from the built-in pack; this copy is
# the one thing here that needs fontc's file.
add_dependencies(web_page intro_font)
# content.json tells the page which pack beside it to play: the built page
# has none (intro-pack's web folder writes its own, naming content.intro).
add_custom_command(TARGET web_page POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/content.json ${INTRO_WEB_SITE}/content.json
  VERBATIM)
