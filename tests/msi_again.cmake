# Makes the package FIRST again from the same build, a second later and after
# the files that go into it have changed their times, with the variables of
# cmake/msi.cmake: it must have the same bytes.
execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1.1)
file(TOUCH_NOCREATE ${BUILD}/kondensator.exe ${BUILD}/LICENSE.txt ${BUILD}/README.txt)
set(OUTPUT ${FIRST}.again)
include(${SOURCE_DIR}/cmake/msi.cmake)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${FIRST} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${FIRST} differs when made again a second later")
endif()
file(REMOVE ${OUTPUT})
file(REMOVE_RECURSE ${OUTPUT}.files)
