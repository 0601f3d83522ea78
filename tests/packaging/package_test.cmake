# Makes a GENERATOR package of the build BUILD with cpack and checks, with the
# command LIST, that it holds every path in EXPECTED (separated by |). Where
# given, FIELD (a command, an option, then field names) must print what
# FIELD_MATCHES matches, LINT is run on the package and must print nothing,
# every file named in CRLF (separated by |) must end its lines with "\r\n"
# alone, every file named in BOM must start with a UTF-8 byte-order mark,
# DESKTOP_VALIDATE and APPSTREAM (validate-tree) must pass the unpacked package,
# and its bin/kondensator (through LAUNCHER) give TRANSCRIPT.in's output TRANSCRIPT.out.
# The package is made once more after the files that go into it have other times,
# in another time zone, and must be the same.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/same_bytes.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/run.cmake)

# Makes the package, with cpack's options ARGN; sets the variable `package`
# to its path.
function(make_package)
  file(GLOB old ${BUILD}/kondensator*.deb ${BUILD}/kondensator*.zip)
  if(old)
    file(REMOVE ${old})
  endif()
  kondensator_run(cpack -G ${GENERATOR} ${ARGN} WORKING_DIRECTORY ${BUILD} OUTPUT log)
  file(GLOB made ${BUILD}/kondensator*.deb ${BUILD}/kondensator*.zip)
  if(NOT made)
    message(FATAL_ERROR "cpack -G ${GENERATOR} made no package:\n${log}")
  endif()
  if(log MATCHES "CMake Warning|CMake Error")
    message(FATAL_ERROR "cpack -G ${GENERATOR} warned:\n${log}")
  endif()
  set(package ${made} PARENT_SCOPE)
endfunction()

make_package()
get_filename_component(name ${package} NAME)
set(first ${BUILD}/first-package/${name})
file(MAKE_DIRECTORY ${BUILD}/first-package)
file(RENAME ${package} ${first})
# As if built at another time and place: the same files, staged with other
# times, in another time zone.
kondensator_another_time_and_place()
make_package(-D CPACK_PRE_BUILD_SCRIPTS=${CMAKE_CURRENT_LIST_DIR}/same_bytes.cmake)
kondensator_expect_same_bytes(${first} ${package})
file(REMOVE_RECURSE ${BUILD}/first-package)
execute_process(COMMAND ${LIST} ${package} OUTPUT_VARIABLE contents RESULT_VARIABLE status)
string(REPLACE "|" ";" expected "${EXPECTED}")
foreach(path ${expected})
  string(FIND "${contents}" "${path}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${package} does not hold ${path}:\n${contents}")
  endif()
endforeach()
message(STATUS "${package}:\n${contents}")

if(FIELD)
  list(POP_FRONT FIELD tool option)
  execute_process(COMMAND ${tool} ${option} ${package} ${FIELD} OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT value MATCHES "${FIELD_MATCHES}")
    message(FATAL_ERROR "${package} has no ${FIELD} as ${FIELD_MATCHES}: ${value} (is dpkg-shlibdeps, from dpkg-dev, installed?)")
  endif()
endif()

if(LINT)
  execute_process(COMMAND ${LINT} ${package} OUTPUT_VARIABLE verdict ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status STREQUAL "0" OR NOT verdict STREQUAL "")
    string(REPLACE ";" " " command "${LINT}")
    message(FATAL_ERROR "${command} ${package} (status ${status}):\n${verdict}${errors}")
  endif()
endif()

# A file of the package, unpacked, whose path ends in /NAME (a regular
# expression): sets `found` to its path.
function(unpacked_file name)
  set(unpacked ${BUILD}/package-contents)
  if(NOT EXISTS ${unpacked})
    file(MAKE_DIRECTORY ${unpacked})
    if(package MATCHES "\\.deb$")
      execute_process(COMMAND dpkg-deb -x ${package} ${unpacked}/root)
    else()
      execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${package} WORKING_DIRECTORY ${unpacked})
    endif()
  endif()
  file(GLOB_RECURSE path ${unpacked}/*)
  list(FILTER path INCLUDE REGEX "/${name}$")
  if(NOT path)
    message(FATAL_ERROR "${package} does not hold ${name}")
  endif()
  set(found ${path} PARENT_SCOPE)
endfunction()
file(REMOVE_RECURSE ${BUILD}/package-contents)

if(TRANSCRIPT)
  unpacked_file(bin/kondensator)
  kondensator_run(${CMAKE_COMMAND} -DLAUNCHER=${LAUNCHER} -DPROGRAM=${found} -DINPUT=${TRANSCRIPT}.in
                  -DEXPECTED=${TRANSCRIPT}.out -P ${CMAKE_CURRENT_LIST_DIR}/../transcripts/run_transcript.cmake)
endif()
# The menu entry, and the AppStream metadata with what it names. No hints:
# one is that an entry in both Education and Science shows in both.
if(DESKTOP_VALIDATE)
  unpacked_file("applications/[^/]+[.]desktop")
  kondensator_run(${DESKTOP_VALIDATE} --no-hints ${found} OUTPUT verdict)
  kondensator_run(${APPSTREAM} validate-tree --no-net ${BUILD}/package-contents/root)
  if(NOT verdict STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate ${found}:\n${verdict}")
  endif()
endif()

if(BOM)
  string(REPLACE "|" ";" bom_files "${BOM}")
  foreach(name ${bom_files})
    unpacked_file(${name})
    file(READ ${found} start LIMIT 3 HEX)
    if(NOT start STREQUAL "efbbbf")
      message(FATAL_ERROR "${name} in ${package} does not start with a UTF-8 byte-order mark")
    endif()
  endforeach()
endif()

if(CRLF)
  string(REPLACE "|" ";" crlf_files "${CRLF}")
  foreach(name ${crlf_files})
    unpacked_file(${name})
    file(READ ${found} text HEX)
    string(REGEX REPLACE "(..)" "\\1 " text "${text}")  # byte by byte
    string(REPLACE "0d 0a " "" rest "${text}")
    if(rest MATCHES "0a |0d ")
      message(FATAL_ERROR "${name} in ${package} has line ends other than CR LF")
    endif()
  endforeach()
endif()
