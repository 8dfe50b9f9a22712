# Writes a C++ source that holds a file's bytes:
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -P EmbedFile.cmake
# defines detonix::embedded::<name>[] and <name>Size. Plain CMake, so it runs on the build machine
# whatever the target is.
if(NOT INPUT OR NOT OUTPUT OR NOT SYMBOL)
  message(FATAL_ERROR "EmbedFile.cmake needs INPUT, OUTPUT and SYMBOL")
endif()
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
# 32 bytes a line keeps the source readable by editors and compilers alike.
string(REGEX REPLACE "(................................................................................................................................)" "\\1\"\n\"" escaped "${escaped}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.
#include <cstddef>

namespace detonix::embedded {
extern const unsigned char ${SYMBOL}[];
extern const std::size_t ${SYMBOL}Size;
const unsigned char ${SYMBOL}[] =
\"${escaped}\";
const std::size_t ${SYMBOL}Size = ${size};
}  // namespace detonix::embedded
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
