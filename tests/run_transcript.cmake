# Runs PROGRAM with the contents of INPUT on standard input and checks that it
# writes exactly the contents of EXPECTED and exits with status 0.
execute_process(COMMAND ${PROGRAM} INPUT_FILE ${INPUT}
                OUTPUT_VARIABLE actual RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "exit status ${status}, expected 0")
endif()
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output differs.\n--- expected:\n[${expected}]\n--- actual:\n[${actual}]")
endif()
