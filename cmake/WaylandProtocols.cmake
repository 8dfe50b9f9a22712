# detonix_wayland_protocols(<target> <xml>...): a static library TARGET with the client code of
# each Wayland protocol XML, made by wayland-scanner at build time. Its users include
# <name>-client-protocol.h (NAME: the XML file's name without .xml) and link TARGET.
# The generated code is C; it is kept out of our warning set and its headers count as system
# headers, whose inline casts our C++ warnings would otherwise flag.
function(detonix_wayland_protocols target)
  if(NOT DETONIX_WAYLAND_SCANNER)
    pkg_get_variable(scanner wayland-scanner wayland_scanner)
    if(NOT scanner)
      find_program(scanner wayland-scanner)
    endif()
    set(DETONIX_WAYLAND_SCANNER ${scanner} CACHE FILEPATH "wayland-scanner, which turns protocol XML into C")
  endif()
  if(NOT DETONIX_WAYLAND_SCANNER)
    message(FATAL_ERROR "wayland-scanner not found (install libwayland-dev)")
  endif()
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target})
  file(MAKE_DIRECTORY ${dir})
  set(sources)
  foreach(xml ${ARGN})
    get_filename_component(name ${xml} NAME_WE)
    add_custom_command(
      OUTPUT ${dir}/${name}-client-protocol.h ${dir}/${name}-protocol.c
      COMMAND ${DETONIX_WAYLAND_SCANNER} client-header ${xml} ${dir}/${name}-client-protocol.h
      COMMAND ${DETONIX_WAYLAND_SCANNER} private-code ${xml} ${dir}/${name}-protocol.c
      DEPENDS ${xml}
      COMMENT "wayland-scanner: ${name}"
      VERBATIM)
    list(APPEND sources ${dir}/${name}-client-protocol.h ${dir}/${name}-protocol.c)
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} SYSTEM PUBLIC ${dir})
  set_target_properties(${target} PROPERTIES LINKER_LANGUAGE C)
endfunction()
