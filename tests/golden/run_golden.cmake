# Runs one golden file through tarvo-cli. In the file, a line "> ENTRY" is
# typed at the console; the lines after it, up to the next entry, are what the
# console must print for it (standard output). "> ENTRY ⇒ LINE" is the short
# form for an entry that prints one line. A line "⇒ exit N" ends a run:
# tarvo-cli, given the entries since the previous such line, must exit with
# status N, and the entries after it go to a fresh tarvo-cli; a run that ends
# with the file must exit with 0. Lines starting with "#" are comments. Each
# run is in a fresh directory, with the variable files switched off.
file(STRINGS "${GOLDEN}" lines ENCODING UTF-8)
file(REMOVE_RECURSE "${WORKDIR}")
set(failures "")
set(run 0)

# Feeds the run's entries to tarvo-cli and adds what differs to `failures`.
function(check_run status)
  set(dir "${WORKDIR}/run${run}")
  file(REMOVE_RECURSE "${dir}")
  file(MAKE_DIRECTORY "${dir}")
  file(WRITE "${dir}/input.txt" "${input}")
  execute_process(COMMAND "${CLI}" -n
    INPUT_FILE "${dir}/input.txt"
    OUTPUT_VARIABLE actual
    ERROR_VARIABLE errors
    WORKING_DIRECTORY "${dir}"
    RESULT_VARIABLE rc)
  set(found "")
  if(NOT actual STREQUAL expected)
    file(WRITE "${dir}/expected.txt" "${expected}")
    file(WRITE "${dir}/actual.txt" "${actual}")
    execute_process(COMMAND diff -u "${dir}/expected.txt" "${dir}/actual.txt" OUTPUT_VARIABLE diff)
    string(APPEND found "run ${run}: the output differs:\n${diff}")
  endif()
  if(NOT rc STREQUAL status)
    string(APPEND found "run ${run}: exit status ${rc}, expected ${status}\n")
  endif()
  if(found AND NOT errors STREQUAL "")
    string(APPEND found "run ${run}: standard error:\n${errors}")
  endif()
  set(failures "${failures}${found}" PARENT_SCOPE)
endfunction()

set(input "")
set(expected "")
foreach(line IN LISTS lines)
  if(line MATCHES "^#")
    continue()
  elseif(line MATCHES "^⇒ exit ([0-9]+)$")
    check_run(${CMAKE_MATCH_1})
    math(EXPR run "${run} + 1")
    set(input "")
    set(expected "")
  elseif(line MATCHES "^> (.*) ⇒ (.*)$")
    string(APPEND input "${CMAKE_MATCH_1}\n")
    string(APPEND expected "${CMAKE_MATCH_2}\n")
  elseif(line MATCHES "^> (.*)$")
    string(APPEND input "${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^>$")
    string(APPEND input "\n")
  else()
    string(APPEND expected "${line}\n")
  endif()
endforeach()
if(run EQUAL 0 OR NOT input STREQUAL "" OR NOT expected STREQUAL "")
  check_run(0)
endif()
if(failures)
  message(FATAL_ERROR "tarvo-cli differs from ${GOLDEN}:\n${failures}")
endif()
