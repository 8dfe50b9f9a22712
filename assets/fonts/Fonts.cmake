# The DejaVu faces every program draws its text with, cut at build time to the characters drawn:
# the programs write only their own English texts, numbers and the fuse digits, all printable
# ASCII, and U+FFFD stands in for bytes that are no UTF-8. Anything else draws the faces' .notdef
# box, as a character DejaVu lacks always has. The cut keeps every table stb reads (outlines,
# metrics, the kerning of GPOS), so what is drawn stays the same to the byte, and every name of
# the font, its copyright and licence among them.
#   detonix_embed_fonts(TARGET): the faces as detonix::embedded::DejaVuSans[Bold] in TARGET.
set(DETONIX_FONT_CHARACTERS "U+0020-007E,U+FFFD")

find_program(DETONIX_PYFTSUBSET pyftsubset NO_CMAKE_FIND_ROOT_PATH REQUIRED)  # package fonttools

function(detonix_embed_fonts target)
  foreach(face DejaVuSans DejaVuSans-Bold)
    find_file(DETONIX_FONT_${face} ${face}.ttf PATHS /usr/share/fonts/truetype/dejavu NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    string(REPLACE "-" "" symbol ${face})
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/embedded)
    # No hinting and no substitutions: stb reads neither.
    add_custom_command(OUTPUT ${dir}/${face}.ttf
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND ${DETONIX_PYFTSUBSET} ${DETONIX_FONT_${face}} --unicodes=${DETONIX_FONT_CHARACTERS}
              --name-IDs=* --notdef-outline --no-hinting --layout-features=kern --drop-tables+=GSUB,MATH,FFTM
              --output-file=${dir}/${face}.ttf
      DEPENDS ${DETONIX_FONT_${face}} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      COMMENT "Cutting ${face}.ttf to the characters drawn" VERBATIM)
    add_custom_command(OUTPUT ${dir}/${symbol}.cpp
      COMMAND ${CMAKE_COMMAND} -DINPUT=${dir}/${face}.ttf -DOUTPUT=${dir}/${symbol}.cpp -DSYMBOL=${symbol}
              -P ${PROJECT_SOURCE_DIR}/src/platform/EmbedFile.cmake
      DEPENDS ${dir}/${face}.ttf ${PROJECT_SOURCE_DIR}/src/platform/EmbedFile.cmake
      COMMENT "Embedding ${face}.ttf" VERBATIM)
    target_sources(${target} PRIVATE ${dir}/${symbol}.cpp)
  endforeach()
endfunction()
