# Installation and the Debian package of the native build:
#   cmake --install build/native --prefix /usr/local
#   (cd build/native && cpack)        -> intro_<version>_amd64.deb
# The programs a person runs go to <prefix>/bin; the build-time generators
# fontc and pagec and the test helpers stay in the build tree.
include(GNUInstallDirs)
foreach(program intro modrender modplay modasm intro-preview intro-capture)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME intro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Small intro typing text pages to its own four-voice tracker song")
set(CPACK_PACKAGE_CONTACT "intro developers <intro@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# Named rather than found with dpkg-shlibdeps, which a machine without
# dpkg-dev lacks; these are Debian 12's packages of the libraries linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, libsdl2-2.0-0, libpng16-16, libncurses6")
# intro-capture runs ffmpeg as a child process; the rest works without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
include(CPack)
