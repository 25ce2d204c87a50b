# Configures and builds intro-preview from examples/own-intro, then compares
# its picture with the golden hash (INTRO_UPDATE_GOLDEN=1 rewrites it) and
# with the built-in intro's. A content folder missing a file must fail at
# configure time, naming the file.
set(tree ${WORK}/own-intro-build)
set(moments 200,500)  # page 1 finished, page 2 finished

include(${CMAKE_CURRENT_LIST_DIR}/run_step.cmake)

set(configure ${CMAKE_COMMAND} -S ${SOURCE} -G ${GENERATOR} -DCMAKE_BUILD_TYPE=RelWithDebInfo
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_C_COMPILER=${C_COMPILER}
    -DINTRO_HOST_TOOLS=${HOST_TOOLS})

# A folder without song.fcs.
set(incomplete ${WORK}/incomplete-content)
file(REMOVE_RECURSE ${incomplete} ${WORK}/incomplete-build)
file(MAKE_DIRECTORY ${incomplete})
file(COPY ${CONTENT}/pages.txt ${CONTENT}/font.txt DESTINATION ${incomplete})
execute_process(COMMAND ${configure} -B ${WORK}/incomplete-build -DINTRO_CONTENT_DIR=${incomplete}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0 OR NOT output MATCHES "INTRO_CONTENT_DIR:[ \n]+no[ \n]+song\\.fcs[ \n]+in")
  message(FATAL_ERROR "a content folder without song.fcs: exit ${result}\n${output}")
endif()

run("configuring the example" ${configure} -B ${tree} -DINTRO_CONTENT_DIR=${CONTENT})
run("building the example's intro-preview" ${CMAKE_COMMAND} --build ${tree} -j2 --target intro-preview)
run("the example's preview" ${tree}/bin/intro-preview --sheet ${moments} -o ${WORK}/own-intro.png)
run("the built-in preview" ${BUILTIN_PREVIEW} --sheet ${moments} -o ${WORK}/builtin.png)

file(SHA256 ${WORK}/own-intro.png own_hash)
file(SHA256 ${WORK}/builtin.png builtin_hash)
if(own_hash STREQUAL builtin_hash)
  message(FATAL_ERROR "the example's preview shows the built-in intro")
endif()
if("$ENV{INTRO_UPDATE_GOLDEN}" STREQUAL "1")
  file(WRITE ${GOLDEN} "own-intro --sheet ${moments} ${own_hash}\n")
  message(STATUS "rewrote ${GOLDEN}")
  return()
endif()
if(NOT EXISTS ${GOLDEN})
  message(FATAL_ERROR "${GOLDEN} is missing; create it with INTRO_UPDATE_GOLDEN=1")
endif()
file(READ ${GOLDEN} golden)
if(NOT golden STREQUAL "own-intro --sheet ${moments} ${own_hash}\n")
  message(FATAL_ERROR "the example's preview changed: ${WORK}/own-intro.png has ${own_hash}, "
                      "${GOLDEN} says ${golden}")
endif()
