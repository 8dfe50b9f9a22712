# Project-wide warning set, applied through detonix_warnings to every target of ours.
add_library(detonix_warnings INTERFACE)
if(MSVC)
  target_compile_options(detonix_warnings INTERFACE /W4)
else()
  target_compile_options(detonix_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Woverloaded-virtual -Wimplicit-fallthrough)
endif()
