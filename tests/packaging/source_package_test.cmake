# Makes the source tarball kondensator-VERSION.tar.gz of the build BUILD of the
# git checkout SOURCE (with GIT) and checks it: what the commit checked out
# holds, below kondensator-VERSION/, the same bytes in any time zone.
# Unpacked, it builds and runs a transcript with the run command of the README
# (README), installs what that built, and says clearly that it makes no
# tarball itself, being no git checkout.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/same_bytes.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/run.cmake)
set(name kondensator-${VERSION})
set(tarball ${BUILD}/${name}.tar.gz)

# The tarball, made anew in another time zone, and its files.
file(REMOVE ${tarball})
kondensator_run(${CMAKE_COMMAND} --build ${BUILD} --target source_tarball)
file(RENAME ${tarball} ${tarball}.first)
set(ENV{TZ} XST-5:30)
kondensator_run(${CMAKE_COMMAND} --build ${BUILD} --target source_tarball)
unset(ENV{TZ})
kondensator_expect_same_bytes(${tarball}.first ${tarball})
file(REMOVE ${tarball}.first)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${tarball} OUTPUT_VARIABLE listing)
string(REGEX MATCHALL "[^\n]+" files "${listing}")
list(FILTER files EXCLUDE REGEX "/$")  # the folders
list(TRANSFORM files REPLACE "^${name}/" "")
list(SORT files)
execute_process(COMMAND ${GIT} -c core.quotePath=off -C ${SOURCE} ls-tree -r --name-only HEAD OUTPUT_VARIABLE tracked)
string(REGEX MATCHALL "[^\n]+" tracked "${tracked}")
list(SORT tracked)
if(NOT files STREQUAL tracked)
  message(FATAL_ERROR "${tarball} does not hold exactly the commit's files:\n${files}\n---\n${tracked}")
endif()
foreach(required LICENSE README.md CMakeLists.txt .ci/run src/main.cpp src/icon/kondensator.ico
                 tests/CMakeLists.txt tests/transcripts/typical_session.in doc/kondensator.1.in
                 packaging/debian/changelog bench/discharge_bench.cpp fuzz/dialogue_fuzz.cpp)
  if(NOT required IN_LIST files)
    message(FATAL_ERROR "${tarball} does not hold ${required}:\n${files}")
  endif()
endforeach()
# Unpacked, a tree that is no git checkout.
set(work ${BUILD}/source-package-test)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${tarball} WORKING_DIRECTORY ${work})
set(tree ${work}/${name})

# The README's command that builds and starts the program.
file(STRINGS ${README} lines)
set(after_heading FALSE)
foreach(line ${lines})
  if(line STREQUAL "Build and start the program:")
    set(after_heading TRUE)
  elseif(after_heading AND line MATCHES "^    (.+)$")
    set(run_command "${CMAKE_MATCH_1}")
    break()
  endif()
endforeach()
if(NOT run_command)
  message(FATAL_ERROR "no run command in ${README}")
endif()
execute_process(COMMAND sh -c "${run_command}" WORKING_DIRECTORY ${tree}
                INPUT_FILE ${TRANSCRIPTS}/typical_session.in
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
file(READ ${TRANSCRIPTS}/typical_session.out expected)
string(LENGTH "${expected}" length)
string(LENGTH "${output}" output_length)
if(output_length LESS length)
  set(output_length ${length})
endif()
math(EXPR start "${output_length} - ${length}")
string(SUBSTRING "${output}" ${start} -1 ending)
if(NOT status STREQUAL "0" OR NOT ending STREQUAL expected)
  message(FATAL_ERROR "'${run_command}' in the unpacked tarball (status ${status}):\n${output}\n${errors}")
endif()

# What the run command built installs, the manual page included.
set(installed ${tree}/installed)
kondensator_run(${CMAKE_COMMAND} --install build --prefix ${installed} WORKING_DIRECTORY ${tree})
if(NOT EXISTS ${installed}/bin/kondensator OR NOT EXISTS ${installed}/share/man/man1/kondensator.1.gz)
  message(FATAL_ERROR "cmake --install after '${run_command}' installed no program or manual page")
endif()
file(REMOVE_RECURSE ${installed})

# There, the tarball's target says what it needs.
execute_process(COMMAND ${CMAKE_COMMAND} --build build --target source_tarball WORKING_DIRECTORY ${tree}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
if(status EQUAL 0 OR NOT output MATCHES "made by git archive, from a git checkout")
  message(FATAL_ERROR "source_tarball outside a git checkout did not fail clearly (${status}):\n${output}${errors}")
endif()
file(REMOVE_RECURSE ${work})
message(STATUS "${tarball}: ${files}")
