# Runs calvox-sim on a malformed scenario; passes when it exits 2 and names a line.
execute_process(COMMAND ${SIM} ${SCN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2)
  message(FATAL_ERROR "expected exit 2, got ${rc}\n${out}${err}")
endif()
if(NOT "${out}${err}" MATCHES "line [0-9]+")
  message(FATAL_ERROR "no line number in:\n${out}${err}")
endif()
