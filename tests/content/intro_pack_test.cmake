# intro-pack end to end on examples/own-intro: the pack plays in intro-preview
# and modrender exactly as the example built from source does, its single web
# page carries it, and a folder with a problem is refused with its file's own
# message and nothing written.
set(pack ${WORK}/own.intro)
file(REMOVE_RECURSE ${WORK}/pack-test)
file(MAKE_DIRECTORY ${WORK}/pack-test)
set(work ${WORK}/pack-test)

include(${CMAKE_CURRENT_LIST_DIR}/run_step.cmake)

# Expects exit status `status`, a message matching `pattern` and no `output`.
function(refused what status pattern output)
  # A time limit: an input that makes a tool wait fails instead of hanging.
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE text ERROR_VARIABLE text
                  TIMEOUT 60)
  if(NOT result EQUAL status OR NOT text MATCHES "${pattern}" OR EXISTS ${output})
    message(FATAL_ERROR "${what}: expected exit ${status} and '${pattern}', no ${output}; "
                        "got exit ${result}:\n${text}")
  endif()
endfunction()

run("packing the example" ${PACK} ${CONTENT} -o ${pack})
run("the pack's preview" ${PREVIEW} --content ${pack} --sheet 200,500 -o ${work}/own.png)
file(SHA256 ${work}/own.png hash)
file(READ ${GOLDEN} golden)
if(NOT golden STREQUAL "own-intro --sheet 200,500 ${hash}\n")
  message(FATAL_ERROR "the pack's preview differs from the example built from source: ${hash}, "
                      "${GOLDEN} says ${golden}")
endif()

run("assembling the example's song" ${MODASM} ${CONTENT}/song.fcs -o ${work}/song.mod)
run("rendering the pack's song" ${MODRENDER} ${pack} -o ${work}/pack.wav --seconds 3)
run("rendering the song" ${MODRENDER} ${work}/song.mod -o ${work}/song.wav --seconds 3)
file(SHA256 ${work}/pack.wav pack_sound)
file(SHA256 ${work}/song.wav song_sound)
if(NOT pack_sound STREQUAL song_sound)
  message(FATAL_ERROR "modrender plays the pack's song differently from the song itself")
endif()

# A module file as the song packs the same content as its source.
file(COPY ${CONTENT}/pages.txt ${CONTENT}/font.txt DESTINATION ${work}/module-song)
file(COPY ${work}/song.mod DESTINATION ${work}/module-song)
run("packing with a module file" ${PACK} ${work}/module-song -o ${work}/module-song.intro)
file(SHA256 ${pack} source_pack)
file(SHA256 ${work}/module-song.intro module_pack)
if(NOT source_pack STREQUAL module_pack)
  message(FATAL_ERROR "a module as the song packs differently from its source")
endif()

# Folders with a problem.
file(COPY ${CONTENT}/song.fcs DESTINATION ${work}/module-song)
refused("both song forms" 1 "both song\\.fcs and song\\.mod" ${work}/both.intro
        ${PACK} ${work}/module-song -o ${work}/both.intro)
file(COPY ${CONTENT}/pages.txt ${CONTENT}/font.txt DESTINATION ${work}/no-song)
refused("no song" 1 "has no song" ${work}/none.intro ${PACK} ${work}/no-song -o ${work}/none.intro)
file(WRITE ${work}/bad-pages.txt "page\nLOWER case\nend\n")
refused("a page outside the character set" 1 "bad-pages\\.txt:2: " ${work}/bad.intro
        ${PACK} ${CONTENT} --pages ${work}/bad-pages.txt -o ${work}/bad.intro)

# A damaged pack: each program names the file and what is wrong.
file(WRITE ${work}/truncated.intro "INTROPAK")
refused("a truncated pack in intro-preview" 1 "truncated.intro: truncated" ${work}/cut.png
        ${PREVIEW} --content ${work}/truncated.intro --steps 10 -o ${work}/cut.png)
refused("a truncated pack in modrender" 1 "truncated.intro: truncated" ${work}/cut.wav
        ${MODRENDER} ${work}/truncated.intro -o ${work}/cut.wav)

# A web folder: the web files and the pack, whole; a folder that is not one
# intro-pack wrote is never replaced.
file(WRITE ${work}/web-files/index.html "<!doctype html>")
run("a web folder" ${PACK} ${CONTENT} -o ${work}/site/ --web ${work}/web-files)
file(SHA256 ${work}/site/content.intro site_pack)
if(NOT EXISTS ${work}/site/index.html OR NOT site_pack STREQUAL source_pack)
  message(FATAL_ERROR "the web folder lacks the page or holds another pack")
endif()
run("the web folder again" ${PACK} ${CONTENT} -o ${work}/site --web ${work}/web-files)
file(WRITE ${work}/mine/notes.txt "mine")
refused("someone else's folder" 2 "not a web folder intro-pack wrote" ${work}/mine/content.intro
        ${PACK} ${CONTENT} -o ${work}/mine --web ${work}/web-files)
file(WRITE ${work}/site/notes.txt "mine")
refused("a user's file added to a web folder" 2
        "site holds files intro-pack did not write \\(notes\\.txt\\); move them out" ${work}/site/x
        ${PACK} ${CONTENT} -o ${work}/site --web ${work}/web-files)
file(CREATE_LINK ${work}/site ${work}/link SYMBOLIC)
refused("a link to a web folder" 2 "link is a symbolic link" ${work}/site/x
        ${PACK} ${CONTENT} -o ${work}/link --web ${work}/web-files)
refused("the web files' own folder" 2 "web-files is, holds or lies in the web version's files"
        ${work}/web-files/content.intro ${PACK} ${CONTENT} -o ${work}/web-files --web ${work}/web-files)
refused("standard output as a web folder" 2 "-o -: intro-pack writes files, not standard output"
        ${CMAKE_CURRENT_BINARY_DIR}/- ${PACK} ${CONTENT} -o - --web ${work}/web-files)
# A pack written into the content folder does not make it a web folder.
file(COPY ${CONTENT}/ DESTINATION ${work}/my)
run("a pack in the content folder" ${PACK} ${work}/my -o ${work}/my/content.intro)
refused("the content folder as a web folder" 2 "my holds .*my/pages\\.txt, which this run reads"
        ${work}/my/index.html ${PACK} ${work}/my -o ${work}/my --web ${work}/web-files)
file(GLOB leftovers ${work}/*.old-* ${work}/*.partial-*)
foreach(kept my/pages.txt my/font.txt my/song.fcs my/content.intro site/notes.txt site/index.html)
  if(NOT EXISTS ${work}/${kept} OR leftovers)
    message(FATAL_ERROR "a refused web folder lost ${kept} or left ${leftovers}")
  endif()
endforeach()

# A failed second output leaves the first as it was, and a new one unwritten.
file(WRITE ${work}/prev.intro "earlier")
refused("an unwritable --cpp" 2 "cannot write '/nonexistent/x\\.cpp'" ${work}/new.intro
        ${PACK} ${CONTENT} -o ${work}/new.intro --cpp /nonexistent/x.cpp)
refused("an unwritable --cpp beside an earlier pack" 2 "x\\.cpp" ${work}/prev.intro.cpp
        ${PACK} ${CONTENT} -o ${work}/prev.intro --cpp /nonexistent/x.cpp)
file(READ ${work}/prev.intro earlier)
if(NOT earlier STREQUAL "earlier")
  message(FATAL_ERROR "a failed --cpp changed the earlier ${work}/prev.intro")
endif()

# A FIFO, a folder or a device where a file is read is named as what it is,
# without waiting for a writer.
file(COPY ${CONTENT}/font.txt ${CONTENT}/song.fcs DESTINATION ${work}/fifo)
execute_process(COMMAND mkfifo ${work}/fifo/pages.txt ${work}/song.fifo)
refused("a FIFO as pages.txt" 1 "fifo/pages\\.txt: is a FIFO \\(named pipe\\), not a file"
        ${work}/fifo.intro ${PACK} ${work}/fifo -o ${work}/fifo.intro)
file(COPY ${CONTENT}/pages.txt ${CONTENT}/song.fcs DESTINATION ${work}/folder)
file(MAKE_DIRECTORY ${work}/folder/font.txt)
refused("a folder as font.txt" 1 "folder/font\\.txt: is a folder, not a file" ${work}/folder.intro
        ${PACK} ${work}/folder -o ${work}/folder.intro)
refused("a device as --song" 1 "'/dev/zero': it is a device, not a file; not a module"
        ${work}/device.intro ${PACK} ${CONTENT} --song /dev/zero -o ${work}/device.intro)
refused("a FIFO in modrender" 1 "song\\.fifo': it is a FIFO \\(named pipe\\), not a file"
        ${work}/fifo.wav ${MODRENDER} ${work}/song.fifo -o ${work}/fifo.wav)

refused("a missing shell" 2 "no-shell\\.exe" ${work}/own.exe
        ${PACK} ${CONTENT} -o ${work}/own.exe --shell ${work}/no-shell.exe)

# One page: the web files' scripts inline, the pack as a base64 block, its
# size said; web files without intro.wasm are named and nothing is written.
foreach(name index.html intro-page.js intro.js intro-worklet.js intro.wasm intro-sound.wasm font.pixels)
  file(WRITE ${work}/page-files/${name} "<script src=\"intro-page.js\"></script><script src=\"intro.js\"></script>")
endforeach()
execute_process(COMMAND ${PACK} ${CONTENT} -o ${work}/own.html --web ${work}/page-files
                RESULT_VARIABLE result OUTPUT_VARIABLE said ERROR_VARIABLE said)
file(READ ${work}/own.html page)
file(SIZE ${pack} pack_size)
string(REGEX MATCH "data-file=\"content\\.intro\">([A-Za-z0-9+/]*=*)</script>" block "${page}")
string(LENGTH "${CMAKE_MATCH_1}" block_size)
math(EXPR expected_block "(${pack_size} + 2) / 3 * 4")
if(NOT result EQUAL 0 OR NOT said MATCHES "own\\.html: [0-9,]+ bytes, [0-9,]+ bytes under the 128 KiB"
   OR NOT block_size EQUAL expected_block)
  message(FATAL_ERROR "intro-pack's page (exit ${result}, ${said}): a pack block of ${block_size} "
                      "characters for ${pack_size} bytes")
endif()
file(REMOVE ${work}/page-files/intro.wasm)
refused("a page without intro.wasm" 2 "page-files/intro\\.wasm.*--web DIR" ${work}/lacking.html
        ${PACK} ${CONTENT} -o ${work}/lacking.html --web ${work}/page-files)

# A video is intro-capture's of the same pack.
find_program(FFMPEG ffmpeg)
if(FFMPEG)
  run("a video" ${PACK} ${CONTENT} -o ${work}/own.webp --seconds 1)
  run("intro-capture of the pack" ${CAPTURE} --content ${pack} -o ${work}/capture.webp --seconds 1)
  file(SHA256 ${work}/own.webp video)
  file(SHA256 ${work}/capture.webp capture)
  if(NOT video STREQUAL capture)
    message(FATAL_ERROR "intro-pack's video differs from intro-capture's of the same pack")
  endif()
endif()
