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
          -DVERSION=${PROJECT_VERSION} -P ${packaging_tests}/windows_resources_test.cmake)
add_test(NAME package.windows_zip
  COMMAND ${CMAKE_COMMAND} -DBUILD=${windows_build} -DGENERATOR=ZIP
          "-DEXPECTED=-win64/kondensator.exe|-win64/LICENSE.txt|-win64/README.txt" "-DCRLF=LICENSE.txt|README.txt"
          -DBOM=README.txt
          "-DLIST=${CMAKE_COMMAND};-E;tar;tf" -P ${packaging_tests}/package_test.cmake)

# The Windows Installer package, and one of an older version, installed,
# upgraded, refused and removed under Wine in a prefix of its own.
kondensator_test_option(KONDENSATOR_MSI_TESTS msi_tools "the .msi under Wine"
                        wixl msibuild msiinfo faketime wineserver icotool wrestool)
if(NOT msi_tools)
  return()
endif()
if(PROJECT_VERSION_PATCH GREATER 0)
  math(EXPR patch "${PROJECT_VERSION_PATCH} - 1")
  set(older ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${patch})
else()
  math(EXPR minor "${PROJECT_VERSION_MINOR} - 1")
  set(older ${PROJECT_VERSION_MAJOR}.${minor}.99)
endif()
set(msi ${windows_build}/kondensator-${PROJECT_VERSION}-x64.msi)
set(older_msi ${PROJECT_BINARY_DIR}/kondensator-${older}-x64.msi)
set(msi_variables -DBUILD=${windows_build} -DICON=${PROJECT_SOURCE_DIR}/src/icon/kondensator.ico
    -DRELEASE_TIME=${KONDENSATOR_RELEASE_TIME} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DWIXL=${KONDENSATOR_WIXL}
    -DMSIBUILD=${KONDENSATOR_MSIBUILD} -DFAKETIME=${KONDENSATOR_FAKETIME})
add_test(NAME package.windows_msi COMMAND ${CMAKE_COMMAND} --build ${windows_build} --target msi)
add_test(NAME package.windows_msi_older
  COMMAND ${CMAKE_COMMAND} ${msi_variables} -DVERSION=${older} -DOUTPUT=${older_msi}
          -P ${PROJECT_SOURCE_DIR}/cmake/msi.cmake)
set_tests_properties(package.windows_msi package.windows_msi_older PROPERTIES FIXTURES_SETUP msi RESOURCE_LOCK msi)
add_test(NAME package.windows_msi_is_reproducible
  COMMAND ${CMAKE_COMMAND} ${msi_variables} -DVERSION=${PROJECT_VERSION} -DFIRST=${msi}
          -P ${packaging_tests}/msi_again.cmake)
add_test(NAME windows.msi_install_upgrade_remove
  COMMAND ${CMAKE_COMMAND} -DMSI=${msi} -DOLD=${older_msi} -DVERSION=${PROJECT_VERSION} -DOLD_VERSION=${older}
          -DPREFIX=${PROJECT_BINARY_DIR}/wine-msi-prefix -DWINE=${KONDENSATOR_WINE}
          -DWINESERVER=${KONDENSATOR_WINESERVER} -DMSIINFO=${KONDENSATOR_MSIINFO} -DICOTOOL=${KONDENSATOR_ICOTOOL}
          -DWRESTOOL=${KONDENSATOR_WRESTOOL}
          -DINPUT=${transcripts_dir}/typical_session.in
          -DEXPECTED=${transcripts_dir}/typical_session.out
          -P ${packaging_tests}/msi_test.cmake)
set_tests_properties(package.windows_msi_is_reproducible windows.msi_install_upgrade_remove
                     PROPERTIES FIXTURES_REQUIRED msi RESOURCE_LOCK msi TIMEOUT 300)
