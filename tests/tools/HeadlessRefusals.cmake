# What detonix-headless play refuses up front, and how it fails when something goes wrong late.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/settings/detonix")

function(expect name status_expected pattern)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL status_expected OR NOT "${out}${err}" MATCHES "${pattern}")
    message(FATAL_ERROR "${name}: status ${status}, expected ${status_expected} and '${pattern}':\n${out}${err}")
  endif()
endfunction()

# Help for a command, and the version.
expect(help 0 "--destructible-blocks FRACTION" "${PROGRAM}" play --help)
expect(version 0 "^detonix-headless [0-9]+\\.[0-9]+\\.[0-9]+\n$" "${PROGRAM}" --version)
# A picture that cannot be written is found out before the run, not after it.
expect(png 1 "cannot write ${WORK}/missing/end.png" "${PROGRAM}" play --minutes 600 --png "${WORK}/missing/end.png")
file(WRITE "${WORK}/file" "")
expect(frames 1 "cannot make the folder" "${PROGRAM}" play --minutes 600 --frames "${WORK}/file/frames" --every 1)
# Boards beyond an 8K screen, or beyond 1024 cells a side, and intervals a clock cannot hold.
expect(width 2 "bad value '8193' for --width" "${PROGRAM}" play --width 8193)
expect(cells 2 "Board too large: 1920 by 1080 cells" "${PROGRAM}" play --cell 1)
expect(every 2 "bad value '1e20' for --every" "${PROGRAM}" play --frames "${WORK}/f" --every 1e20)
# A maze that fails in the middle of a run is said, and the run fails: on a 3 by 3 board, smaller
# than the programs make, the walk cannot always open every cell (the 17th maze of seed 1).
expect(maze 1 "Error Creating Maze - change Maze options"
       "${PROGRAM}" play --width 90 --height 90 --fixed-blocks 0 --seed 1 --force-maze 1 --minutes 30)
# The settings file's values outside the options' ranges are passed over for the defaults, as detonix says.
file(WRITE "${WORK}/settings/detonix/detonix.conf" "PerBlocksLeft=0.9\nPerOfEBlocks=1.0\n")
expect(file_ranges 0 "\nfixed=340 destructible=72 floor=438 .*PerOfEBlocks=1 is out of range \\(a fraction, 0 to 0.5\\); the default"
       ${CMAKE_COMMAND} -E env XDG_CONFIG_HOME=${WORK}/settings
       "${PROGRAM}" maze --cols 34 --rows 25 --seed 1)
# Output lost to a full disk fails the command.
foreach(args "--help" "sprites;--out;${WORK}/sheet.png")
  execute_process(COMMAND "${PROGRAM}" ${args} OUTPUT_FILE /dev/full ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 1 OR NOT err MATCHES "cannot write standard output")
    message(FATAL_ERROR "${args} on a full standard output: status ${status}\n${err}")
  endif()
endforeach()
# A name that begins with - is an option whose name was left out, not a file to write.
foreach(args "play;--png;--help" "play;--frames;--x;--every;1" "sprites;--out;--rows")
  list(GET args 1 option)
  expect(${option} 2 "bad value '--[a-z]+' for ${option}: it looks like an option" "${PROGRAM}" ${args})
endforeach()
# A run killed before its end (here by the file size limit, as it writes its picture) leaves the
# games it played: each line is out as its game ends.
execute_process(COMMAND sh -c "ulimit -f 0; exec \"$0\" play --width 152 --height 112 --cell 10 --seed 3 --minutes 2 --force-maze 1 --json --png \"$1\""
                        "${PROGRAM}" "${WORK}/killed.png"
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(out MATCHES "summary" OR NOT out MATCHES "^{\"game\":1,.*\n{\"game\":2,")
  message(FATAL_ERROR "killed run (${status}): the games it played are lost:\n${out}${err}")
endif()
