# Wayland protocols for a client: wayland-scanner's header and glue code of each protocol file.
#   include(WaylandProtocols)
#   if(DETONIX_WAYLAND_FOUND)
#     detonix_wayland_protocols(TARGET XML...)
#   endif()
# DETONIX_WAYLAND_FOUND says whether wayland-client (libwayland-dev), wayland-scanner and the
# wayland-protocols files are here; DETONIX_WAYLAND_PROTOCOLS_DIR is where the latter live
# (${DETONIX_WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml). An XML path that is not absolute
# is taken from there.
include_guard(DIRECTORY)
# The scanner writes C; it is compiled as C (as C++ its interfaces would have internal linkage).
enable_language(C)

set(DETONIX_WAYLAND_FOUND OFF)
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  # GLOBAL: a second folder that includes this finds the target made by the first.
  pkg_check_modules(DETONIX_WAYLAND_CLIENT QUIET IMPORTED_TARGET GLOBAL wayland-client)
  pkg_get_variable(DETONIX_WAYLAND_SCANNER wayland-scanner wayland_scanner)
  pkg_get_variable(DETONIX_WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
  if(TARGET PkgConfig::DETONIX_WAYLAND_CLIENT AND DETONIX_WAYLAND_SCANNER AND DETONIX_WAYLAND_PROTOCOLS_DIR)
    set(DETONIX_WAYLAND_FOUND ON)
  endif()
endif()

# detonix_wayland_protocols(TARGET XML...): for each protocol file NAME.xml, NAME-client-protocol.h
# and NAME-protocol.c in TARGET's binary folder, the folder on TARGET's include path, the code
# compiled into TARGET (without the project's warnings: it is not ours; its headers count as system
# headers, whose inline casts our warnings would flag), and wayland-client linked.
function(detonix_wayland_protocols target)
  if(NOT DETONIX_WAYLAND_FOUND)
    message(FATAL_ERROR "detonix_wayland_protocols(${target}): wayland-client, wayland-scanner or wayland-protocols is missing (libwayland-dev, wayland-protocols)")
  endif()
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}-protocols)
  file(MAKE_DIRECTORY ${folder})
  set(code)
  foreach(xml IN LISTS ARGN)
    if(NOT IS_ABSOLUTE ${xml})
      set(xml ${DETONIX_WAYLAND_PROTOCOLS_DIR}/${xml})
    endif()
    get_filename_component(name ${xml} NAME_WE)
    add_custom_command(
      OUTPUT ${folder}/${name}-client-protocol.h ${folder}/${name}-protocol.c
      COMMAND ${DETONIX_WAYLAND_SCANNER} client-header ${xml} ${folder}/${name}-client-protocol.h
      COMMAND ${DETONIX_WAYLAND_SCANNER} private-code ${xml} ${folder}/${name}-protocol.c
      DEPENDS ${xml}
      COMMENT "wayland-scanner: ${name}"
      VERBATIM)
    list(APPEND code ${folder}/${name}-protocol.c ${folder}/${name}-client-protocol.h)
  endforeach()
  add_library(${target}_wayland_protocols OBJECT ${code})
  target_link_libraries(${target}_wayland_protocols PUBLIC PkgConfig::DETONIX_WAYLAND_CLIENT)
  target_include_directories(${target}_wayland_protocols SYSTEM PUBLIC ${folder})
  target_link_libraries(${target} PUBLIC ${target}_wayland_protocols)
endfunction()
