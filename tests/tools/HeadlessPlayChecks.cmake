# Runs detonix-headless play several ways and checks what a user relies on.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(play out_var status_var)
  execute_process(COMMAND "${PROGRAM}" play ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  set(${out_var} "${out}${err}" PARENT_SCOPE)
  set(${status_var} "${status}" PARENT_SCOPE)
endfunction()

# Half an hour on a full HD board: games are played to the last life, and nothing goes wrong.
play(first status --seed 1 --minutes 30 --json --png "${WORK}/end.png")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "play failed (${status}):\n${first}")
endif()
if(NOT first MATCHES "\"ended_by\":\"lives\"")
  message(FATAL_ERROR "no game ended by a lost life:\n${first}")
endif()
if(first MATCHES "\"messages\":[1-9]")
  message(FATAL_ERROR "a message box was needed:\n${first}")
endif()
if(NOT EXISTS "${WORK}/end.png")
  message(FATAL_ERROR "--png wrote no picture")
endif()

# The same seed and options give the same games; only the wall time may differ.
play(second status --seed 1 --minutes 30 --json)
string(REGEX REPLACE "\"wall_seconds\":[0-9.]+" "" a "${first}")
string(REGEX REPLACE "\"wall_seconds\":[0-9.]+" "" b "${second}")
if(NOT a STREQUAL b)
  message(FATAL_ERROR "the same seed played differently:\n${first}\n---\n${second}")
endif()

# A preview-sized board with a forced maze every minute.
play(preview status --width 152 --height 112 --cell 10 --seed 3 --minutes 5 --force-maze 1 --json)
if(NOT status EQUAL 0 OR NOT preview MATCHES "\"cols\":15,\"rows\":11" OR NOT preview MATCHES "\"ended_by\":\"force\"")
  message(FATAL_ERROR "preview run (${status}):\n${preview}")
endif()

# Frames every virtual 30 seconds of two minutes: 0, 30, 60, 90, 120.
play(frames status --minutes 2 --seed 2 --frames "${WORK}/frames" --every 30)
file(GLOB pictures "${WORK}/frames/*.png")
list(LENGTH pictures count)
if(NOT status EQUAL 0 OR NOT count EQUAL 5)
  message(FATAL_ERROR "expected 5 frames, got ${count} (${status}):\n${frames}")
endif()

# Bad input: the problem, a pointer to --help and status 2.
foreach(bad "--minutes;abc" "--width;0" "--speed;-5" "--frames;${WORK}/x" "--bogus" "--seed")
  play(out status ${bad})
  if(NOT status EQUAL 2 OR NOT out MATCHES "^detonix-headless play: [^\n]*\nTry 'detonix-headless play --help'.\n$")
    message(FATAL_ERROR "'${bad}' gave status ${status}:\n${out}")
  endif()
endforeach()

# A board smaller than one cell: the system's message and status 1.
play(tiny status --width 20 --height 20)
if(NOT status EQUAL 1 OR NOT tiny MATCHES "Invalid grid dimensions")
  message(FATAL_ERROR "tiny board gave status ${status}:\n${tiny}")
endif()
