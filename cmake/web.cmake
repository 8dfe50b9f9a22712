# The web build with Debian's emscripten (scripts/build-web.sh, `make web`):
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/web.cmake -DBUILD_TESTING=OFF -DDETONIX_BENCH=OFF
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# -fexceptions: the host catches a board that cannot be made, and the timers a handler's
# exception; without it a throw would end the page. LibraryCompat.h: what the code needs of C++20
# and this emscripten's C++ library lacks, read before every file.
get_filename_component(DETONIX_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CXX_FLAGS_INIT "-fexceptions -include ${DETONIX_SOURCE_ROOT}/src/shell/web/LibraryCompat.h")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fexceptions -sALLOW_MEMORY_GROWTH=1")
