# The text pages typed by the intro.
target_sources(intro_data PRIVATE ${CMAKE_CURRENT_LIST_DIR}/pages.cpp)
