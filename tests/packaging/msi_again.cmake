# Makes the package FIRST again from the same build, after the texts that go
# into it have been given other times, with the variables of cmake/msi.cmake:
# it must have the same bytes, and both must carry the release time as the
# time they were made and saved, however long wixl takes. The program keeps
# its time (see kondensator_other_times).
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/same_bytes.cmake)
set(texts ${BUILD}/LICENSE.txt ${BUILD}/README.txt)
# The texts get their times back afterwards: run again in this build, the
# test must still find a package that records them.
set(text_times "")
foreach(text ${texts})
  file(TIMESTAMP ${text} time "%s" UTC)
  list(APPEND text_times ${time})
endforeach()
kondensator_another_time_and_place(${texts})
set(OUTPUT ${FIRST}.again.msi)
include(${SOURCE_DIR}/cmake/msi.cmake)
foreach(text time IN ZIP_LISTS texts text_times)
  execute_process(COMMAND touch -d @${time} ${text})
endforeach()
kondensator_expect_same_bytes(${FIRST} ${OUTPUT})

set(ENV{TZ} UTC)
string(TIMESTAMP release "%Y/%m/%d %H:%M:%S" UTC)
execute_process(COMMAND msiinfo export ${FIRST} _SummaryInformation
                OUTPUT_VARIABLE summary RESULT_VARIABLE status)
string(REGEX MATCH "\n12\t([^\n]*)\n13\t([^\n]*)" times "${summary}")
if(NOT status STREQUAL "0" OR NOT CMAKE_MATCH_1 STREQUAL release OR NOT CMAKE_MATCH_2 STREQUAL release)
  message(FATAL_ERROR "${FIRST} was made at '${CMAKE_MATCH_1}' and saved at '${CMAKE_MATCH_2}', "
                      "not at the release time ${release} (UTC):\n${summary}")
endif()
file(REMOVE ${OUTPUT})
file(REMOVE_RECURSE ${OUTPUT}.files)
