# Install-time: writes the screen-saver desktop entry for the saver hosts that list them
# (mate-screensaver) with the absolute path of the installed hack, which is known only once the
# install prefix is. Both folders may be relative to the install prefix.
foreach(var DETONIX_ENTRY_HACK_DIR DETONIX_ENTRY_DATA_DIR)
  if(NOT IS_ABSOLUTE "${${var}}")
    set(${var} "${CMAKE_INSTALL_PREFIX}/${${var}}")
  endif()
endforeach()
set(DETONIX_HACK "${DETONIX_ENTRY_HACK_DIR}/detonix")
set(entry "${DETONIX_ENTRY_DATA_DIR}/applications/screensavers/detonix-screensaver.desktop")
message(STATUS "Installing: $ENV{DESTDIR}${entry}")
configure_file("${DETONIX_ENTRY_TEMPLATE}" "$ENV{DESTDIR}${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
