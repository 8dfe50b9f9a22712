# Cross build for 64-bit Windows with Debian's mingw-w64:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model: the drawing layer locks with std::mutex, which the win32 model lacks.
set(DETONIX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DETONIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DETONIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${DETONIX_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DETONIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static, so the programs need no DLL beyond Windows' own. No link time stamp and no
# build folder in the programs: the same sources give the same bytes wherever and whenever built.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
get_filename_component(DETONIX_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CXX_FLAGS_INIT "-ffile-prefix-map=${DETONIX_SOURCE_ROOT}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=")
