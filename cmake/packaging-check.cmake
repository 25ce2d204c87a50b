# Read by cpack before it builds the package (CPACK_PROJECT_CONFIG_FILE).
# The programs name their installed documentation by the prefix the build
# was configured with; a Debian package must install under /usr.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "a Debian package installs under /usr, this build under "
                      "${CPACK_PACKAGING_INSTALL_PREFIX}: configure it with "
                      "-DCMAKE_INSTALL_PREFIX=/usr (scripts/build-deb.sh does)")
endif()
