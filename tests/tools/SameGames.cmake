# The players decide as they did when the games in same-games/ were recorded: every run of
# same-games/runs.txt prints, byte for byte, what is stored under its name (wall time aside).
# After a change that is meant to alter the games, record them again with -DRECORD=ON:
#   cmake -DPROGRAM=build/detonix-headless -DRECORD=ON -P tests/tools/SameGames.cmake
# (with XDG_CONFIG_HOME pointing at an empty folder, so that no user settings play along).
# LAUNCHER runs PROGRAM, as Wine runs the Windows build; a Windows program ends its lines with CR LF.
set(dir "${CMAKE_CURRENT_LIST_DIR}/same-games")
file(STRINGS "${dir}/runs.txt" runs REGEX "^[a-z]")
set(failed "")
foreach(run IN LISTS runs)
  separate_arguments(args UNIX_COMMAND "${run}")
  list(POP_FRONT args name)
  execute_process(COMMAND ${LAUNCHER} "${PROGRAM}" play ${args} --json
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "play ${run} failed (${status}):\n${err}")
  endif()
  string(REGEX REPLACE ",\"wall_seconds\":[0-9.]+" "" out "${out}")
  if(PROGRAM MATCHES "\\.exe$")
    string(REPLACE "\r\n" "\n" out "${out}")
  endif()
  if(RECORD)
    file(WRITE "${dir}/${name}.jsonl" "${out}")
    continue()
  endif()
  file(READ "${dir}/${name}.jsonl" expected)
  if(NOT out STREQUAL expected)
    string(APPEND failed "${name} (play ${run}) played differently:\n${out}--- recorded:\n${expected}\n")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "${failed}")
endif()
