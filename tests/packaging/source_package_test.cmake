# Makes the source tarball kondensator-VERSION.tar.gz of the build BUILD of the
# sources SOURCE and checks it: it holds the sources, tests and documents below
# kondensator-VERSION/, and no build folders, version control or editor files;
# from a git checkout (with GIT), what git tracks and nothing else. Unpacked,
# with such folders and files added, it builds and runs a transcript with the
# run command of the README (README), installs what that built, and makes the
# same tarball again, byte for byte.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/same_bytes.cmake)
set(name kondensator-${VERSION})

# The files in the source tarball of BUILD, without the top folder; and the tarball.
function(make_source_tarball build files_variable tarball_variable)
  file(REMOVE ${build}/${name}.tar.gz)
  execute_process(COMMAND ${CMAKE_CPACK_COMMAND} --config CPackSourceConfig.cmake WORKING_DIRECTORY ${build}
                  RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
  set(tarball ${build}/${name}.tar.gz)
  if(NOT status STREQUAL "0" OR NOT EXISTS ${tarball} OR log MATCHES "CMake Warning|CMake Error")
    message(FATAL_ERROR "cpack --config CPackSourceConfig.cmake failed or warned in ${build}:\n${log}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${tarball} OUTPUT_VARIABLE listing)
  string(REGEX REPLACE "\n$" "" listing "${listing}")
  string(REPLACE "\n" ";" listing "${listing}")
  set(files "")
  foreach(entry ${listing})
    if(NOT entry MATCHES "^${name}/")
      message(FATAL_ERROR "${tarball} holds ${entry}, outside ${name}/")
    endif()
    if(entry MATCHES "^[^/]+/(.*[^/])$")  # a file, below the top folder
      list(APPEND files "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  list(SORT files)
  set(${files_variable} "${files}" PARENT_SCOPE)
  set(${tarball_variable} ${tarball} PARENT_SCOPE)
endfunction()

# A git checkout: a stray file, which git does not track, must stay out.
set(tracked "")
if(GIT)
  execute_process(COMMAND ${GIT} -C ${SOURCE} rev-parse --show-toplevel
                  OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status ERROR_QUIET)
  if(status EQUAL 0)
    file(REAL_PATH ${top} top)
    file(REAL_PATH ${SOURCE} source)
  endif()
  if(status EQUAL 0 AND top STREQUAL source)
    execute_process(COMMAND ${GIT} -c core.quotePath=off -C ${SOURCE} ls-files OUTPUT_VARIABLE tracked)
    string(REGEX REPLACE "\n$" "" tracked "${tracked}")
    string(REPLACE "\n" ";" tracked "${tracked}")
    list(FILTER tracked EXCLUDE REGEX "^$")
    list(SORT tracked)
    set(stray ${SOURCE}/doc/stray-untracked-file.txt)
    file(WRITE ${stray} "not tracked\n")
  endif()
endif()
make_source_tarball(${BUILD} files tarball)
if(stray)
  file(REMOVE ${stray})
  set(existing "")
  foreach(file ${tracked})  # a tracked file deleted from the tree is not packed
    if(EXISTS ${SOURCE}/${file})
      list(APPEND existing ${file})
    endif()
  endforeach()
  if(NOT files STREQUAL existing)
    message(FATAL_ERROR "${tarball} does not hold exactly what git tracks:\n${files}\n---\n${existing}")
  endif()
endif()
foreach(required LICENSE README.md CMakeLists.txt .ci/run src/main.cpp src/icon/kondensator.ico
                 tests/CMakeLists.txt tests/transcripts/typical_session.in doc/kondensator.1.in
                 packaging/debian/changelog bench/discharge_bench.cpp fuzz/dialogue_fuzz.cpp)
  if(NOT required IN_LIST files)
    message(FATAL_ERROR "${tarball} does not hold ${required}:\n${files}")
  endif()
endforeach()
set(unwanted "(^|/)(build[^/]*|CMakeFiles|Testing|_CPack_Packages|\\.git|\\.vscode)/|CMakeCache\\.txt$|~$|\\.sw[a-p]$|(^|/)\\.?#")
foreach(file ${files})
  if(file MATCHES "${unwanted}")
    message(FATAL_ERROR "${tarball} holds ${file}")
  endif()
endforeach()

# Unpacked, in a tree cluttered as a working tree is.
set(work ${BUILD}/source-package-test)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${tarball} WORKING_DIRECTORY ${work})
file(GLOB tree LIST_DIRECTORIES true ${work}/*)
foreach(clutter build-old/CMakeCache.txt build-old/kondensator out/CMakeCache.txt out/kondensator
                .git/HEAD .vscode/settings.json src/main.cpp~ src/.main.cpp.swp "src/#main.cpp#" "src/.#main.cpp")
  file(WRITE ${tree}/${clutter} "clutter\n")
endforeach()

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
execute_process(COMMAND ${CMAKE_COMMAND} --install build --prefix ${installed} WORKING_DIRECTORY ${tree}
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status STREQUAL "0" OR NOT EXISTS ${installed}/bin/kondensator
   OR NOT EXISTS ${installed}/share/man/man1/kondensator.1.gz)
  message(FATAL_ERROR "cmake --install after '${run_command}' (status ${status}):\n${log}")
endif()
file(REMOVE_RECURSE ${installed})

# Again from the unpacked tree, its files given other times: the same bytes.
list(TRANSFORM files PREPEND ${tree}/ OUTPUT_VARIABLE unpacked_files)
kondensator_another_time_and_place(${unpacked_files})
make_source_tarball(${tree}/build files_again tarball_again)
if(NOT files_again STREQUAL files)
  message(FATAL_ERROR "the tarball made in the unpacked tree differs:\n${files}\n---\n${files_again}")
endif()
kondensator_expect_same_bytes(${tarball} ${tarball_again})
message(STATUS "${tarball}: ${files}")
