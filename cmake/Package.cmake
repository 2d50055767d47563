# The Debian package (scripts/package): what cmake/Install.cmake installs,
# under /usr, with its library dependencies found by dpkg-shlibdeps.
# cpack packs an already built tree; it builds nothing itself.

# The version as the manager shows it: 3.1.1 is 3.01.01.
set(VOXA_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR})
foreach(part ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH})
  if(part LESS 10)
    string(APPEND VOXA_PACKAGE_VERSION ".0${part}")
  else()
    string(APPEND VOXA_PACKAGE_VERSION ".${part}")
  endif()
endforeach()

set(VOXA_PACKAGE_MAINTAINER "VOXA Manager for Linux maintainers <maintainers@voxamanager.net>"
  CACHE STRING "Maintainer field of the Debian package: name <e-mail>")
# The date of the package's changelog entry (RFC 5322), fixed so that the
# package is the same from one build to the next.
set(VOXA_PACKAGE_DATE "Thu, 10 Dec 2026 00:00:00 +0000")

# Debian wants the copyright and a compressed changelog in the package's
# documentation folder.
set(VOXA_PACKAGE_DOC ${CMAKE_BINARY_DIR}/package-doc)
configure_file(${PROJECT_SOURCE_DIR}/data/package/changelog.in ${VOXA_PACKAGE_DOC}/changelog @ONLY)
add_custom_command(OUTPUT ${VOXA_PACKAGE_DOC}/changelog.gz
  COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${VOXA_PACKAGE_DOC}/changelog ${VOXA_PACKAGE_DOC}/changelog.gz
  DEPENDS ${VOXA_PACKAGE_DOC}/changelog VERBATIM)
add_custom_target(voxa_package_doc ALL DEPENDS ${VOXA_PACKAGE_DOC}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/data/package/copyright ${VOXA_PACKAGE_DOC}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/voxa-manager)

# Everything the package holds: scripts/package builds this, then runs cpack.
add_custom_target(voxa_package_files DEPENDS voxa_dist voxatool voxa_man voxa_package_doc)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME voxa-manager)
set(CPACK_PACKAGE_VERSION ${VOXA_PACKAGE_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_CONTACT ${VOXA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "manager for a car audio player that plays MP3 files from its disk")
# The synopsis comes from the summary; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "VOXA Manager edits the files a car audio player is set up with (configuration,
texts, start-up logo, playing screen layout, MyRadio profiles), keeps the MP3
collection on the player's disk in order (search and export, directory sort
with roll-back, MyRadio copy), installs itself onto the player's disk and
fetches updates from the maker's server.

This package holds the manager from which an installation onto a disk is made,
the starter voxam2-disk, which runs the manager installed on the attached
player's disk, and the command-line companion voxatool.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VOXA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see: Qt's platform plugins, which draw the window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The faces the skin's fonts are mapped to.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, fonts-yanone-kaffeesatz")
# Safe removal of the disk goes through UDisks2 when it is there.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "udisks2")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
