# The Windows build, cross-compiled with mingw-w64 and run under Wine on the same
# transcripts as the native program. AUTO leaves the tests out, and says so, where
# the cross-compiler or Wine is missing; ON insists on them.
set(KONDENSATOR_WINDOWS_TESTS AUTO CACHE STRING "Test the Windows build under Wine: AUTO, ON or OFF")
set_property(CACHE KONDENSATOR_WINDOWS_TESTS PROPERTY STRINGS AUTO ON OFF)
if(KONDENSATOR_WINDOWS_TESTS STREQUAL "OFF" OR CMAKE_CROSSCOMPILING)
  return()
endif()

find_program(KONDENSATOR_MINGW_CXX x86_64-w64-mingw32-g++)
find_program(KONDENSATOR_WINE wine)
if(NOT KONDENSATOR_MINGW_CXX OR NOT KONDENSATOR_WINE)
  set(why "the Windows build and its tests under Wine are left out: mingw-w64 (g++-mingw-w64-x86-64) or Wine (wine) is not installed")
  if(KONDENSATOR_WINDOWS_TESTS STREQUAL "ON")
    message(FATAL_ERROR "KONDENSATOR_WINDOWS_TESTS is ON, but ${why}")
  endif()
  message(STATUS "Note: ${why}")
  return()
endif()

include(ExternalProject)
set(windows_build ${PROJECT_BINARY_DIR}/windows)
ExternalProject_Add(kondensator_windows
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${windows_build}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64.cmake
             -DCMAKE_BUILD_TYPE=Release -DKONDENSATOR_TESTS=OFF -DKONDENSATOR_BENCHMARKS=OFF
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)

# A Wine prefix of the build's own, made once before the tests that use it.
set(wine_environment WINEPREFIX=${PROJECT_BINARY_DIR}/wine-prefix WINEDEBUG=-all)
add_test(NAME windows.wine_prefix COMMAND ${KONDENSATOR_WINE} wineboot.exe --init)
set_tests_properties(windows.wine_prefix PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${wine_environment}")

foreach(input ${transcripts})
  get_filename_component(name ${input} NAME_WE)
  add_test(NAME windows.transcript.${name}
    COMMAND ${CMAKE_COMMAND} -DLAUNCHER=${KONDENSATOR_WINE} -DPROGRAM=${windows_build}/kondensator.exe
            -DINPUT=${input} -DEXPECTED=${CMAKE_CURRENT_SOURCE_DIR}/transcripts/${name}.out
            -DLINE_END=CRLF -P ${CMAKE_CURRENT_SOURCE_DIR}/run_transcript.cmake)
  set_tests_properties(windows.transcript.${name} PROPERTIES
    FIXTURES_REQUIRED wine ENVIRONMENT "${wine_environment}")
endforeach()

# The executable carries the icon, and cpack packs it into a .zip.
find_program(KONDENSATOR_WINDRES x86_64-w64-mingw32-windres REQUIRED)
add_test(NAME windows.icon_embedded
  COMMAND sh -c "'${KONDENSATOR_WINDRES}' --input '${windows_build}/kondensator.exe' --output-format rc | grep -q RT_GROUP_ICON")
add_test(NAME package.windows_zip
  COMMAND ${CMAKE_COMMAND} -DBUILD=${windows_build} -DGENERATOR=ZIP -DEXPECTED=/bin/kondensator.exe
          "-DLIST=${CMAKE_COMMAND};-E;tar;tf" -P ${CMAKE_CURRENT_SOURCE_DIR}/package_test.cmake)
