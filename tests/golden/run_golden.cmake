# Runs one golden file through tarvo-cli. In the file, a line "> ENTRY" is
# typed at the console; the lines after it, up to the next entry, are what the
# console must print for it (standard output). "> ENTRY ⇒ LINE" is the short
# form for an entry that prints one line. Lines starting with "#" are
# comments. Runs in a fresh directory, with the variable files switched off.
file(STRINGS "${GOLDEN}" lines ENCODING UTF-8)
set(input "")
set(expected "")
foreach(line IN LISTS lines)
  if(line MATCHES "^#")
    continue()
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
file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
file(WRITE "${WORKDIR}/input.txt" "${input}")
execute_process(COMMAND "${CLI}" -n
  INPUT_FILE "${WORKDIR}/input.txt"
  OUTPUT_VARIABLE actual
  WORKING_DIRECTORY "${WORKDIR}"
  RESULT_VARIABLE rc)
if(NOT actual STREQUAL expected)
  file(WRITE "${WORKDIR}/expected.txt" "${expected}")
  file(WRITE "${WORKDIR}/actual.txt" "${actual}")
  execute_process(COMMAND diff -u "${WORKDIR}/expected.txt" "${WORKDIR}/actual.txt"
    OUTPUT_VARIABLE diff)
  message(FATAL_ERROR "tarvo-cli output differs from ${GOLDEN} (exit ${rc}):\n${diff}")
endif()
