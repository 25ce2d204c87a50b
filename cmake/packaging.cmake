# Installation and the Debian package of the native build:
#   cmake --install build/native --prefix /usr/local
#   scripts/build-deb.sh              -> build/native/intro_<version>_amd64.deb
# The programs a person runs go to <prefix>/bin with a manual page each
# (help2man, from their --help); the documentation, the menu entry, its icons
# and the AppStream metainfo go under <prefix>/share. The build-time
# generators fontc and pagec and the test helpers stay in the build tree.
include(GNUInstallDirs)

# Each program and the one-line description its manual page is named with.
set(intro_program_descriptions
  "intro|types the intro's text pages in a window to its own tracker song"
  "modrender|renders a tracker module through the intro's sound path"
  "modplay|plays a tracker module or song source live, with a view of its voices"
  "modasm|assembles a module source into an FC14 or SMOD tracker module"
  "intro-preview|writes the intro's screen after a number of frame steps as PNG"
  "intro-capture|records the intro and its song as a video through ffmpeg"
  "intro-pack|makes an intro from a folder of pages, font art and song, without a compiler")
set(INTRO_INSTALLED_PROGRAMS "")
foreach(entry ${intro_program_descriptions})
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 program)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    list(APPEND INTRO_INSTALLED_PROGRAMS ${program})
  endif()
endforeach()
# A stripped install (cpack) also drops the sections Debian's dh_strip
# drops: the compilers' .comment and the bare .note.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program ${INTRO_INSTALLED_PROGRAMS})
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

# The changelog: its newest entry must be this version; its date is the
# release date of the AppStream metainfo.
set(changelog ${CMAKE_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} changelog_lines)
list(GET changelog_lines 0 changelog_head)
if(NOT changelog_head MATCHES "^intro \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is '${changelog_head}', "
                      "not version ${PROJECT_VERSION} of CMakeLists.txt; add an entry for it")
endif()
foreach(line ${changelog_lines})
  if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(day ${CMAKE_MATCH_1})
    set(year ${CMAKE_MATCH_3})
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months ${CMAKE_MATCH_2} month)
    math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
    if(month LESS 10)
      set(month 0${month})
    endif()
    set(INTRO_RELEASE_DATE ${year}-${month}-${day})
    break()
  endif()
endforeach()
if(NOT INTRO_RELEASE_DATE)
  message(FATAL_ERROR "packaging/changelog: no ' -- name <address>  date' line in the newest entry")
endif()

set(doc_out ${CMAKE_BINARY_DIR}/doc)
file(MAKE_DIRECTORY ${doc_out})
add_custom_command(OUTPUT ${doc_out}/changelog.gz
  COMMAND gzip -9n -c ${changelog} > ${doc_out}/changelog.gz
  DEPENDS ${changelog}
  COMMENT "Compressing the changelog")
set(package_docs ${doc_out}/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${doc_out}/changelog.gz
              ${CMAKE_SOURCE_DIR}/docs/module-source.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# What intro-pack builds on, from the other two builds of the tree: the
# Windows intro (scripts/build-win32.sh) and the web folder
# (scripts/build-web.sh). scripts/build-deb.sh gives both; a plain install
# without them has an intro-pack that writes packs and videos only.
set(INTRO_PACKAGE_EXE "" CACHE FILEPATH "intro.exe for intro-pack to build on (a win32 build's)")
set(INTRO_PACKAGE_WEB "" CACHE PATH "the web folder intro-pack copies (scripts/build-web.sh's)")
set(intro_pack_data ${CMAKE_INSTALL_DATADIR}/${PROJECT_NAME})
if(INTRO_PACKAGE_EXE)
  install(FILES ${INTRO_PACKAGE_EXE} DESTINATION ${intro_pack_data})
endif()
if(INTRO_PACKAGE_WEB)
  install(DIRECTORY ${INTRO_PACKAGE_WEB}/ DESTINATION ${intro_pack_data}/web)
endif()

# Manual pages from each program's --help and --version. The intro's page is
# section 1intro: intro(1) is Debian's introduction to user commands, so
# `man intro` keeps opening that and `man 1intro intro` opens this one (as
# OpenSSL's passwd(1ssl) sits beside passwd(1)).
find_program(HELP2MAN help2man)
intro_optional("The manual pages" "help2man" "${HELP2MAN}")
set(manual_pages "")
if(HELP2MAN)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man)
  foreach(entry ${intro_program_descriptions})
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 description)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(section 1)
    if(program STREQUAL "intro")
      set(section 1intro)
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${program}.${section})
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${HELP2MAN} --no-info --section=${section} --name=${description}
              --output=${page} $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${program}
      COMMENT "Writing the manual page ${program}(${section})"
      VERBATIM)
    list(APPEND manual_pages ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
endif()

# The menu entry for the intro, its icon and its AppStream metainfo. The icon
# is the font's "I" on the intro's background, scaled by a whole factor to
# about three quarters of the icon; an even factor shows it as the intro
# does, every pixel doubled with the second line at half brightness.
set(INTRO_APP_ID org.example.intro)
set(INTRO_HOMEPAGE "https://intro.example.org" CACHE STRING
    "the project's home page, for the AppStream metainfo and its screenshot")
set(desktop_extras "")
if(TARGET intro)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/${INTRO_APP_ID}.metainfo.xml.in
                 ${doc_out}/${INTRO_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/${INTRO_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${doc_out}/${INTRO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  find_program(IMAGEMAGICK_CONVERT convert)
  intro_optional("The menu icons" "ImageMagick (imagemagick)" "${IMAGEMAGICK_CONVERT}")
  if(IMAGEMAGICK_CONVERT)
    get_property(font_bmp GLOBAL PROPERTY INTRO_FONT_BMP)
    set(icon_out ${CMAKE_BINARY_DIR}/icons)
    file(MAKE_DIRECTORY ${icon_out})
    # "I" is glyph 9 of the character set; the font image holds 32 glyphs a row.
    set(glyph ${font_bmp} -crop 8x8+72+0 +repage)
    set(finish -background "#130047" -gravity center -extent)
    set(png_options -strip -define png:exclude-chunks=date,time)
    foreach(size 16 32 48 64 128 256)
      math(EXPR factor "${size} * 3 / 32")
      math(EXPR odd "${factor} % 2")
      if(odd)
        math(EXPR percent "${factor} * 100")
        set(draw ${glyph} -scale ${percent}%)
      else()
        math(EXPR percent "${factor} * 50")
        set(draw ${glyph} -scale 200% -fx "j%2 ? floor(u*255/2)/255 : u" -scale ${percent}%)
      endif()
      add_custom_command(OUTPUT ${icon_out}/${size}.png
        COMMAND ${IMAGEMAGICK_CONVERT} ${draw} ${finish} ${size}x${size} ${png_options}
                PNG24:${icon_out}/${size}.png
        DEPENDS ${font_bmp} intro_font
        COMMENT "Drawing the ${size} px icon from the font"
        VERBATIM)
      list(APPEND desktop_extras ${icon_out}/${size}.png)
      install(FILES ${icon_out}/${size}.png
              DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
              RENAME ${INTRO_APP_ID}.png)
    endforeach()
  endif()
endif()
add_custom_target(intro_package_files ALL DEPENDS ${package_docs} ${manual_pages} ${desktop_extras})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME intro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small intro typing text pages to its own tracker song")
# The extended description (cpack puts the summary above it). No double
# quotes: cpack writes it into its own configuration file unescaped.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"A small intro in the old style: one window that types pages of text in an
8x8 bitmap font, pixel-doubled with every second scan line at half
brightness, while an original four-voice tracker song (FC14 or SMOD
modules) plays through its own replayer and software mixer on SDL2.
.
The package also holds the tools the song and the pictures are made with:
modasm assembles a song source into a module, modrender renders a module
to WAV, modplay plays one live with a terminal view of its voices,
intro-preview writes the intro's screen as PNG and intro-capture records
the intro with its music as a video through ffmpeg.
.
intro-pack makes a person's own intro from a folder holding text pages,
font art and a song (a song source or a module file), without a compiler:
a content pack that intro --content plays, a Windows intro.exe made from
the prebuilt one the package carries, a web folder, or a video.
.
The intro's manual page is intro(1intro): man 1intro intro.")
set(CPACK_PACKAGE_CONTACT "INTRO maintainers <maintainers@users.noreply.c-seed-ba49e3d7.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends is computed from the programs' libraries by dpkg-shlibdeps (dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# intro-capture runs ffmpeg as a child process; the rest works without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
# A Debian package installs under /usr: the programs' messages name their
# documentation by the configured prefix, so the package is made from a
# build configured with -DCMAKE_INSTALL_PREFIX=/usr.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/packaging-check.cmake)
include(CPack)
