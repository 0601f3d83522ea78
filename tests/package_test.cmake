# Makes a GENERATOR package of the build BUILD with cpack and checks, with the
# command LIST, that it holds every path in EXPECTED (separated by |). Where
# given, LINT is run on the package and must print nothing.
file(GLOB old ${BUILD}/kondensator*.deb ${BUILD}/kondensator*.zip)
if(old)
  file(REMOVE ${old})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E chdir ${BUILD} cpack -G ${GENERATOR}
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
file(GLOB package ${BUILD}/kondensator*.deb ${BUILD}/kondensator*.zip)
if(NOT status STREQUAL "0" OR NOT package)
  message(FATAL_ERROR "cpack -G ${GENERATOR} failed:\n${log}")
endif()
execute_process(COMMAND ${LIST} ${package} OUTPUT_VARIABLE contents RESULT_VARIABLE status)
string(REPLACE "|" ";" expected "${EXPECTED}")
foreach(path ${expected})
  string(FIND "${contents}" "${path}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${package} does not hold ${path}:\n${contents}")
  endif()
endforeach()
message(STATUS "${package}:\n${contents}")

if(LINT)
  execute_process(COMMAND ${LINT} ${package} OUTPUT_VARIABLE verdict ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status STREQUAL "0" OR NOT verdict STREQUAL "")
    string(REPLACE ";" " " command "${LINT}")
    message(FATAL_ERROR "${command} ${package} (status ${status}):\n${verdict}${errors}")
  endif()
endif()

