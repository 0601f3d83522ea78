# The Windows build, cross-compiled with mingw-w64 and run under Wine on the same
# transcripts as the native program.
kondensator_test_option(KONDENSATOR_WINDOWS_TESTS windows_tools "the Windows build under Wine"
                         x86_64-w64-mingw32-g++ x86_64-w64-mingw32-windres wine)
if(NOT windows_tools)
  return()
endif()

set(windows_build ${PROJECT_BINARY_DIR}/windows)
kondensator_cross_build(kondensator_windows mingw-w64.cmake ${windows_build})

# A Wine prefix of the build's own, made once before the tests that use it.
set(wine_environment WINEPREFIX=${PROJECT_BINARY_DIR}/wine-prefix WINEDEBUG=-all)
add_test(NAME windows.wine_prefix COMMAND ${KONDENSATOR_WINE} wineboot.exe --init)
set_tests_properties(windows.wine_prefix PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${wine_environment}")
kondensator_cross_transcripts(windows ${windows_build}/kondensator.exe ${KONDENSATOR_WINE} CRLF
                              "${wine_environment}" FIXTURES_REQUIRED wine)

# The executable carries the icon and version information, and cpack packs it
# into a .zip with the license and a readme for Windows.
add_test(NAME windows.resources
  COMMAND ${CMAKE_COMMAND} -DWINDRES=${KONDENSATOR_X86_64_W64_MINGW32_WINDRES} -DEXE=${windows_build}/kondensator.exe
          -DVERSION=${PROJECT_VERSION} -P ${CMAKE_CURRENT_SOURCE_DIR}/windows_resources_test.cmake)
add_test(NAME package.windows_zip
  COMMAND ${CMAKE_COMMAND} -DBUILD=${windows_build} -DGENERATOR=ZIP
          "-DEXPECTED=-win64/kondensator.exe|-win64/LICENSE.txt|-win64/README.txt" "-DCRLF=LICENSE.txt|README.txt"
          -DBOM=README.txt
          "-DLIST=${CMAKE_COMMAND};-E;tar;tf" -P ${CMAKE_CURRENT_SOURCE_DIR}/package_test.cmake)
