# kondensator_run(COMMAND... [WORKING_DIRECTORY FOLDER] [OUTPUT VARIABLE]):
# runs a command and stops the script, naming the command and showing what it
# wrote, where its status is not 0. OUTPUT receives what it wrote on standard
# output and standard error.
function(kondensator_run)
  cmake_parse_arguments(PARSE_ARGV 0 run "" "WORKING_DIRECTORY;OUTPUT" "")
  set(where "")
  if(run_WORKING_DIRECTORY)
    set(where WORKING_DIRECTORY ${run_WORKING_DIRECTORY})
  endif()
  execute_process(COMMAND ${run_UNPARSED_ARGUMENTS} ${where} RESULT_VARIABLE status
                  OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT status STREQUAL "0")
    string(REPLACE ";" " " command "${run_UNPARSED_ARGUMENTS}")
    message(FATAL_ERROR "${command} failed (status ${status}):\n${log}")
  endif()
  if(run_OUTPUT)
    set(${run_OUTPUT} "${log}" PARENT_SCOPE)
  endif()
endfunction()
