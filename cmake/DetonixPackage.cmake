# The Debian package, with CPack: `cmake --build build --target package` (or `make package`) writes
# detonix_<version>_amd64.deb into the build folder.
if(WIN32 OR CMAKE_CROSSCOMPILING OR NOT TARGET detonix)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME detonix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${DETONIX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A screen saver first, as xscreensaver's own hacks are; the games section would want /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies from the shared libraries the programs link, by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "screen saver with computer players in a bomb-laying maze game
Two computer-controlled players play a bomb-laying maze game against each
other on a board that fills the screen: they walk the corridors, lay bombs
that blow up along rows and columns, flee from the blasts and pick up
power-ups. When one of them has lost its three lives, a new maze is generated
and the next game starts. Nobody plays it: you watch.

detonix plays in a window, full screen on every monitor, or as an xscreensaver
hack; detonix-headless plays games on a virtual clock and prints their
statistics.")
# The build keeps debugging information; the package does not.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
