# What "cmake --install" puts on the computer: the distribution folder (the
# manager with its skin, message set and language files, from which it can
# install itself onto a player's disk), a starter that runs the manager on
# the attached player's disk, voxatool, the desktop entry for the starter
# with the program's icon and metadata, manual pages and bash completion.
include(GNUInstallDirs)

# A private folder of the program's own, lib/voxa-manager under every
# prefix (not the multiarch library folder), so the starter finds it
# beside bin.
set(VOXA_INSTALL_DIST_DIR lib/voxa-manager)

# The starter, usable from the build folder too (build/bin/voxam2-disk).
configure_file(${PROJECT_SOURCE_DIR}/data/desktop/voxam2-disk.in ${CMAKE_BINARY_DIR}/bin/voxam2-disk
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)

# The program is installed as a target so that packaging can strip it; what
# a manager run may leave in the folder (settings, history) is not installed.
install(TARGETS voxam2 RUNTIME DESTINATION ${VOXA_INSTALL_DIST_DIR})
# Each file by name, so that a missing one fails the installation loudly
# instead of installing a manager without it.
install(FILES ${VOXA_DIST_DIR}/defaultskin.bmp ${VOXA_DIST_DIR}/default.mgs
  ${VOXA_DIST_DIR}/Manager_3xx_version_history.txt ${VOXA_DIST_DIR}/Manager_3xx_verzio_tortenet.txt
  DESTINATION ${VOXA_INSTALL_DIST_DIR})
file(GLOB VOXA_LANGUAGE_SOURCES ${PROJECT_SOURCE_DIR}/data/Language/*)
set(VOXA_DIST_LANGUAGE)
foreach(f ${VOXA_LANGUAGE_SOURCES})
  get_filename_component(name ${f} NAME)
  if(name STREQUAL ".gitattributes")
    continue()
  endif()
  list(APPEND VOXA_DIST_LANGUAGE ${VOXA_DIST_DIR}/Language/${name})
endforeach()
install(FILES ${VOXA_DIST_LANGUAGE} DESTINATION ${VOXA_INSTALL_DIST_DIR}/Language)
# Marks the folder as installed on this computer: an installation onto a
# disk copies from it but never lets the new copy delete it.
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/voxa-manager.installed
  DESTINATION ${VOXA_INSTALL_DIST_DIR})

install(PROGRAMS ${CMAKE_BINARY_DIR}/bin/voxam2-disk DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS voxatool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/voxa-manager.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/net.voxamanager.manager.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/icons/hicolor
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${PROJECT_SOURCE_DIR}/data/completion/voxatool
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# Manual pages, compressed as Debian wants them (-n: no name or time inside,
# so the package is the same from one build to the next).
set(VOXA_MAN_PAGES voxatool.1 voxam2-disk.1)
set(VOXA_MAN_OUT)
foreach(page ${VOXA_MAN_PAGES})
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${PROJECT_SOURCE_DIR}/man/${page} ${CMAKE_BINARY_DIR}/man/${page}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/man/${page} VERBATIM)
  list(APPEND VOXA_MAN_OUT ${CMAKE_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(voxa_man ALL DEPENDS ${VOXA_MAN_OUT})
install(FILES ${VOXA_MAN_OUT} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
