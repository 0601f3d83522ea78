# Runs PROGRAM (through LAUNCHER, if given) with the contents of INPUT on standard
# input and checks that it writes exactly the contents of EXPECTED, byte for byte,
# and exits with status 0. With LINE_END=CRLF every line break is expected as "\r\n",
# as a Windows program in text mode writes it. The output goes through a file, since
# CMake would fold "\r\n" in an output variable.
get_filename_component(name ${INPUT} NAME_WE)
set(output_file ${CMAKE_CURRENT_BINARY_DIR}/transcript-${name}-${LINE_END}.out)
execute_process(COMMAND ${LAUNCHER} ${PROGRAM} INPUT_FILE ${INPUT} OUTPUT_FILE ${output_file}
                RESULT_VARIABLE status)
file(READ ${output_file} actual HEX)
file(READ ${EXPECTED} expected HEX)
if(LINE_END STREQUAL "CRLF")
  string(REGEX REPLACE "(..)" "\\1 " expected "${expected}")  # byte by byte, so that
  string(REPLACE "0a " "0d0a " expected "${expected}")        # only whole bytes match
  string(REPLACE " " "" expected "${expected}")
endif()
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "exit status ${status}, expected 0")
endif()
if(NOT actual STREQUAL expected)
  file(READ ${output_file} text)
  message(FATAL_ERROR "output differs (${output_file}).\n--- expected (hex):\n${expected}\n--- actual (hex):\n${actual}\n--- actual:\n${text}")
endif()
file(REMOVE ${output_file})
