# The DirectSound streamer's algorithm, which calls DirectSound and the kernel
# only through a table of operations: plain C++, so the native build tests it
# against a recording fake (tests/platform) and the win32 build links it into
# the streamer. Included by this folder's CMakeLists.txt and by the native build.
add_library(intro_block_streamer_logic STATIC ${CMAKE_CURRENT_LIST_DIR}/block_streamer_logic.cpp)
target_include_directories(intro_block_streamer_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR}
                           ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(intro_block_streamer_logic PUBLIC intro_block_ring)
