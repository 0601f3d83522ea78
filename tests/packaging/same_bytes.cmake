# kondensator_expect_same_bytes(FIRST SECOND): two packages that must be the
# same, byte for byte. Where they are not, the test fails with what differs:
# the first differing byte, and the first lines that differ in what the
# format's own tools say of each: every field of every entry of a zip
# (zipdetails), the members and files of a .deb with their owners, modes and
# times (ar, dpkg-deb), the summary and every table of a .msi (msiinfo), the files of a
# tarball (tar), the lines of a page.
# Sets VARIABLE to what the tools of PACKAGE's format say of it, a line for
# each fact; a zip's lines each start with the name of their entry.
function(kondensator_describe_package package variable)
  set(text "")
  if(package MATCHES "\\.zip$")
    # zipdetails (perl) shows every field of every header, extra fields and
    # their times included; each line here names its entry, without offsets.
    execute_process(COMMAND zipdetails --utc ${package} OUTPUT_VARIABLE listing ERROR_VARIABLE listing)
    string(REPLACE ";" "," listing "${listing}")
    string(REPLACE "\n" ";" lines "${listing}")
    set(block "")
    set(entry "")
    foreach(line IN LISTS lines ITEMS "END")
      string(REGEX REPLACE "^[0-9A-F]+ " "" field "${line}")
      if(field MATCHES "^(LOCAL HEADER|CENTRAL HEADER|END)")
        foreach(field_line IN LISTS block)
          string(APPEND text "${entry}: ${field_line}\n")
        endforeach()
        set(block "")
        set(entry "${CMAKE_MATCH_1}")
      elseif(field MATCHES "^Filename +'(.*)$")
        set(name "${CMAKE_MATCH_1}")  # a long one goes on over the next lines
      elseif(DEFINED name AND field MATCHES "^ +(.*)$")
        string(APPEND name "${CMAKE_MATCH_1}")
      endif()
      if(DEFINED name AND name MATCHES "^(.*)'$")
        string(PREPEND entry "${CMAKE_MATCH_1}, ")
        unset(name)
      endif()
      list(APPEND block "${field}")
    endforeach()
  elseif(package MATCHES "\\.deb$")
    execute_process(COMMAND ar tvO ${package} OUTPUT_VARIABLE members ERROR_VARIABLE members)
    execute_process(COMMAND dpkg-deb --info ${package} OUTPUT_VARIABLE info ERROR_VARIABLE info)
    execute_process(COMMAND dpkg-deb --contents ${package} OUTPUT_VARIABLE contents ERROR_VARIABLE contents)
    set(text "${members}${info}${contents}")
  elseif(package MATCHES "\\.msi$")
    execute_process(COMMAND msiinfo suminfo ${package} OUTPUT_VARIABLE text ERROR_VARIABLE text)
    execute_process(COMMAND msiinfo tables ${package} OUTPUT_VARIABLE tables)
    string(REPLACE "\n" ";" tables "${tables}")
    foreach(table IN LISTS tables)
      if(NOT table STREQUAL "")
        execute_process(COMMAND msiinfo export ${package} ${table} OUTPUT_VARIABLE rows ERROR_VARIABLE rows)
        string(REPLACE "\n" "\n${table}: " rows "${table}: ${rows}")
        string(APPEND text "${rows}\n")
      endif()
    endforeach()
  elseif(package MATCHES "\\.(tar\\.gz|tgz)$")
    execute_process(COMMAND tar --full-time --numeric-owner -tvzf ${package} OUTPUT_VARIABLE text ERROR_VARIABLE text)
  else()
    file(READ ${package} text)
  endif()
  set(${variable} "${text}" PARENT_SCOPE)
endfunction()

function(kondensator_expect_same_bytes first second)
  execute_process(COMMAND cmp ${first} ${second} OUTPUT_VARIABLE where ERROR_VARIABLE where RESULT_VARIABLE status)
  if(status STREQUAL "0")
    return()
  endif()
  set(listings ${second}.differences)
  file(MAKE_DIRECTORY ${listings})
  kondensator_describe_package(${first} first_text)
  kondensator_describe_package(${second} second_text)
  file(WRITE ${listings}/first.txt "${first_text}")
  file(WRITE ${listings}/second.txt "${second_text}")
  execute_process(COMMAND diff -U1 first.txt second.txt WORKING_DIRECTORY ${listings} OUTPUT_VARIABLE differences)
  string(REPLACE ";" "," differences "${differences}")
  string(REPLACE "\n" ";" differences "${differences}")
  list(SUBLIST differences 0 40 differences)
  list(JOIN differences "\n" differences)
  if(differences STREQUAL "")
    set(differences "(the tools of the format show no difference)")
  endif()
  message(FATAL_ERROR "${first} and ${second} differ: ${where}"
                      "What differs (- the first, + the second):\n${differences}\n")
endfunction()

# The files PATHS (and every file in a folder among them) get access and
# modification times far from any a build gives them, each its own, and their
# change times become now. Never give them to what a build that other tests
# use makes from its sources: to make, a program older than its objects must
# be linked again, and it would be, under the feet of the tests that run or
# pack it.
function(kondensator_other_times)
  set(files "")
  foreach(path ${ARGN})
    if(IS_DIRECTORY ${path})
      file(GLOB_RECURSE inside LIST_DIRECTORIES true ${path}/*)
      list(APPEND files ${path} ${inside})
    else()
      list(APPEND files ${path})
    endif()
  endforeach()
  execute_process(COMMAND touch -m -d @1000000000 ${files} RESULT_VARIABLE modified)
  execute_process(COMMAND touch -a -d @1300000000 ${files} RESULT_VARIABLE accessed)
  if(NOT modified STREQUAL "0" OR NOT accessed STREQUAL "0")
    message(FATAL_ERROR "cannot give ${ARGN} other times")
  endif()
endfunction()

# As if what follows were made at another time and place: the files PATHS,
# if any, get other times, as above, and the programs this script runs from
# here on run in a time zone far from UTC (one that needs no time zone
# database). A package that records the times of what it packs, or a local
# time, then differs.
function(kondensator_another_time_and_place)
  if(ARGN)
    kondensator_other_times(${ARGN})
  endif()
  set(ENV{TZ} XST-5:30)
endfunction()

# As cpack's script between staging and packing (CPACK_PRE_BUILD_SCRIPTS):
# the staged files get other times, as if staged at another time, while the
# build's own files keep theirs.
if(DEFINED CPACK_TEMPORARY_DIRECTORY)
  kondensator_other_times(${CPACK_TEMPORARY_DIRECTORY})
endif()

# As a script: cmake -DFIRST=... -DSECOND=... -P same_bytes.cmake
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  cmake_minimum_required(VERSION 3.20)
  kondensator_expect_same_bytes(${FIRST} ${SECOND})
endif()
