# What "cmake --install" puts on the computer: the distribution folder (the
# manager with its skin, message set and language files, from which it can
# install itself onto a player's disk), a starter that runs the manager on
# the attached player's disk, and the desktop entry for that starter.
include(GNUInstallDirs)

set(VOXA_INSTALL_DIST_DIR ${CMAKE_INSTALL_LIBDIR}/voxa-manager)

# The starter, usable from the build folder too (build/bin/voxam2-disk).
configure_file(${PROJECT_SOURCE_DIR}/data/desktop/voxam2-disk.in ${CMAKE_BINARY_DIR}/bin/voxam2-disk
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)

install(DIRECTORY ${VOXA_DIST_DIR}/ DESTINATION ${VOXA_INSTALL_DIST_DIR}
  USE_SOURCE_PERMISSIONS)
install(PROGRAMS ${CMAKE_BINARY_DIR}/bin/voxam2-disk DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/voxa-manager.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
