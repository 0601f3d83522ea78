# Checks that each of the teachers' guides GUIDES (separated by |) starts with
# a byte-order mark and names its files (with the version the build fills in).
# Installs the build BUILD into PREFIX, runs the installed program on a
# transcript, and renders its manual page with MAN (if found), which must warn
# of nothing, show VERSION and name only installed files. Then, where DPKG_DEB
# is found, makes a .deb, whose install lists other paths as installed, and
# uninstalls: PREFIX must be as it was, and a file at a path of the .deb's
# untouched.
cmake_minimum_required(VERSION 3.20)  # "@VERSION@" is text, not a variable
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/run.cmake)
# Each guide reads right where a web server sends it without a charset: a
# UTF-8 byte-order mark first.
string(REPLACE "|" ";" guides "${GUIDES}")
foreach(guide ${guides})
  file(READ ${guide} start LIMIT 3 HEX)
  if(NOT start STREQUAL "efbbbf")
    message(FATAL_ERROR "${guide} does not start with a UTF-8 byte-order mark")
  endif()
  file(READ ${guide} text)
  foreach(name "kondensator-@VERSION@.html" "kondensator-@VERSION@-site.zip" "kondensator-@VERSION@-x64.msi")
    string(FIND "${text}" "${name}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${guide} does not name ${name}")
    endif()
  endforeach()
endforeach()

# A prefix that already holds a file and an empty folder of the install's.
file(REMOVE_RECURSE ${PREFIX})
file(MAKE_DIRECTORY ${PREFIX}/share/doc)
file(WRITE ${PREFIX}/share/other.txt "another program's\n")
file(GLOB_RECURSE before LIST_DIRECTORIES true ${PREFIX}/*)
kondensator_run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX})
kondensator_run(${CMAKE_COMMAND} -DPROGRAM=${PREFIX}/bin/kondensator -DINPUT=${TRANSCRIPTS}/typical_session.in
                -DEXPECTED=${TRANSCRIPTS}/typical_session.out -P ${RUN_TRANSCRIPT})

set(page ${PREFIX}/share/man/man1/kondensator.1.gz)
if(NOT EXISTS ${page})
  message(FATAL_ERROR "no manual page at ${page}")
endif()
if(NOT MAN)
  message(WARNING "man is not installed: the manual page was not rendered")
  set(locales "")
else()
  set(locales C.UTF-8 C)
endif()
set(ENV{MANWIDTH} 80)
# Written in UTF-8, the page renders as such, and in plain ASCII too.
foreach(locale ${locales})
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
  # It names only what the install holds, none of the release's other packages.
  string(REGEX MATCHALL "/usr/[^ ,\n]*[^ ,.\n]" named "${rendered}")
  string(REPLACE "/usr/" "${PREFIX}/" named "${named}")
  foreach(path ${named})
    if(NOT EXISTS ${path})
      message(FATAL_ERROR "man -l ${page} names ${path}, which the install does not hold")
    endif()
  endforeach()
  if(NOT named OR rendered MATCHES "kondensator-${VERSION}")
    message(FATAL_ERROR "man -l ${page} names no installed file, or another package:\n${rendered}")
  endif()
endforeach()

# cpack installs too, and writes its own paths into the build's install
# manifest; the uninstall must go by what the install into PREFIX wrote.
if(NOT DPKG_DEB)
  message(WARNING "dpkg-deb is not installed: the uninstall is tested without cpack in between")
else()
  set(cpack_prefix ${PREFIX}-cpack)
  file(REMOVE_RECURSE ${cpack_prefix} ${cpack_prefix}-packages)
  file(WRITE ${cpack_prefix}/bin/kondensator "planted\n")
  kondensator_run(cpack -G DEB -B ${cpack_prefix}-packages -D CPACK_PACKAGING_INSTALL_PREFIX=${cpack_prefix}
                  WORKING_DIRECTORY ${BUILD})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -DPREFIX=${PREFIX} -P ${BUILD}/uninstall.cmake
                RESULT_VARIABLE status OUTPUT_QUIET)
file(GLOB_RECURSE after LIST_DIRECTORIES true ${PREFIX}/*)
if(NOT status STREQUAL "0" OR NOT after STREQUAL before)
  message(FATAL_ERROR "The uninstall (status ${status}) left ${PREFIX} holding\n${after}\ninstead of\n${before}")
endif()
if(DPKG_DEB)
  file(READ ${cpack_prefix}/bin/kondensator planted)
  if(NOT planted STREQUAL "planted\n")
    message(FATAL_ERROR "The uninstall touched ${cpack_prefix}/bin/kondensator, a path the .deb installs")
  endif()
  file(REMOVE_RECURSE ${cpack_prefix} ${cpack_prefix}-packages)
endif()
