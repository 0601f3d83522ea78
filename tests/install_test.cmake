# Installs the build BUILD into PREFIX, runs the installed program on a transcript,
# and renders its manual page with MAN (if found), which must warn of nothing.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE status
                OUTPUT_QUIET)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "cmake --install failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -DPROGRAM=${PREFIX}/bin/kondensator
                        -DINPUT=${TRANSCRIPTS}/typical_session.in -DEXPECTED=${TRANSCRIPTS}/typical_session.out
                        -P ${RUN_TRANSCRIPT}
                RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "the installed program does not give the transcript")
endif()

set(page ${PREFIX}/share/man/man1/kondensator.1.gz)
if(NOT EXISTS ${page})
  message(FATAL_ERROR "no manual page at ${page}")
endif()
if(NOT MAN)
  message(WARNING "man is not installed: the manual page was not rendered")
  return()
endif()
set(ENV{LC_ALL} C)
set(ENV{MANWIDTH} 80)
execute_process(COMMAND ${MAN} --warnings=all -l ${page}
                RESULT_VARIABLE status OUTPUT_VARIABLE rendered ERROR_VARIABLE warnings)
if(NOT status STREQUAL "0" OR NOT warnings STREQUAL "" OR NOT rendered MATCHES "Antall ganger nedladet")
  message(FATAL_ERROR "man -l ${page} (status ${status}) warned:\n${warnings}")
endif()
