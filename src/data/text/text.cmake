# The text pages: pagec checks the page text (INTRO_PAGES_TEXT, by default
# pages.txt here) and writes the C++ source of IntroPages, which joins
# intro_data. A page that would not show whole stops the build with
# "file:line: reason".
intro_host_tool(INTRO_PAGEC pagec)
set(INTRO_PAGES_CPP ${CMAKE_BINARY_DIR}/data/pages.cpp)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/data)
add_custom_command(
  OUTPUT ${INTRO_PAGES_CPP}
  COMMAND ${INTRO_PAGEC} ${INTRO_PAGES_TEXT} ${INTRO_PAGES_CPP}
  DEPENDS ${INTRO_PAGES_TEXT} ${INTRO_PAGEC_DEPENDS}
  COMMENT "Checking the text pages and building IntroPages"
  VERBATIM)
target_sources(intro_data PRIVATE ${INTRO_PAGES_CPP})
