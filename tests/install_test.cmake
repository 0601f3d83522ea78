# Checks that the top entry of the changelog CHANGELOG is for VERSION, the
# project's version. Installs the build BUILD into PREFIX, runs the installed
# program on a transcript, and renders its manual page with MAN (if found),
# which must warn of nothing and show VERSION.
file(STRINGS ${CHANGELOG} top LIMIT_COUNT 1)
if(NOT top MATCHES "^kondensator \\(([^)]*)\\)")
  message(FATAL_ERROR "${CHANGELOG} does not start with an entry 'kondensator (VERSION) ...'")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  message(FATAL_ERROR "The top entry of ${CHANGELOG} is for version ${CMAKE_MATCH_1}, but project(VERSION) "
                      "is ${VERSION}: add an entry for ${VERSION}, or set the version to ${CMAKE_MATCH_1}")
endif()

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
set(ENV{MANWIDTH} 80)
# Written in UTF-8, the page renders as such, and in plain ASCII too.
foreach(locale C.UTF-8 C)
  set(ENV{LC_ALL} ${locale})
  execute_process(COMMAND ${MAN} --warnings=all -l ${page}
                  RESULT_VARIABLE status OUTPUT_VARIABLE rendered ERROR_VARIABLE warnings)
  if(NOT status STREQUAL "0" OR NOT warnings STREQUAL "" OR NOT rendered MATCHES "Antall ganger nedladet"
     OR NOT rendered MATCHES "kondensator ${VERSION}")
    message(FATAL_ERROR "man -l ${page} with LC_ALL=${locale} (status ${status}) warned:\n${warnings}\n${rendered}")
  endif()
  if(locale STREQUAL "C.UTF-8" AND NOT rendered MATCHES "høyst ett punktum")
    message(FATAL_ERROR "man -l ${page} does not render the Norwegian letters:\n${rendered}")
  endif()
endforeach()
