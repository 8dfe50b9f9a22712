# Install-time: links DETONIX_LINK_HACK_DIR/detonix to DETONIX_LINK_BIN_DIR/detonix with a relative
# path, so the link stays right under DESTDIR and wherever the tree is moved. Both folders may be
# relative to the install prefix.
foreach(var DETONIX_LINK_BIN_DIR DETONIX_LINK_HACK_DIR)
  if(NOT IS_ABSOLUTE "${${var}}")
    set(${var} "${CMAKE_INSTALL_PREFIX}/${${var}}")
  endif()
endforeach()
file(RELATIVE_PATH detonix_link_target "${DETONIX_LINK_HACK_DIR}" "${DETONIX_LINK_BIN_DIR}/detonix")
set(detonix_link "$ENV{DESTDIR}${DETONIX_LINK_HACK_DIR}/detonix")
message(STATUS "Installing: ${detonix_link} -> ${detonix_link_target}")
file(MAKE_DIRECTORY "$ENV{DESTDIR}${DETONIX_LINK_HACK_DIR}")
file(CREATE_LINK "${detonix_link_target}" "${detonix_link}" SYMBOLIC)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${DETONIX_LINK_HACK_DIR}/detonix")
