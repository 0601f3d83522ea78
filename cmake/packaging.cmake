# Installing, and the packages cpack makes: a .deb on Linux, a .zip for
# Windows; and the source tarball, from git.
include(GNUInstallDirs)
include(${CMAKE_CURRENT_LIST_DIR}/release_date.cmake)
# The sizes of the icon in the hicolor theme, for the menu entry of a Linux desktop.
set(hicolor_sizes 16 32 48 64 128 256)
if(WIN32)
  set(install_folders .)
else()
  set(install_folders ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_MANDIR}/man1 ${CMAKE_INSTALL_DOCDIR}
      ${CMAKE_INSTALL_DATADIR}/applications ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size ${hicolor_sizes})
    list(APPEND install_folders ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()
# Every install records what it wrote (see install_record.cmake), first the
# folders it is about to create, at the end the files. The build folder's
# uninstall.cmake takes that away again.
set(install_records ${PROJECT_BINARY_DIR}/install-records)
install(CODE "include(\"${CMAKE_CURRENT_LIST_DIR}/install_record.cmake\")
kondensator_install_started(\"${install_folders}\")")
file(WRITE ${PROJECT_BINARY_DIR}/uninstall.cmake
  "set(KONDENSATOR_RECORDS \"${install_records}\")\n"
  "set(KONDENSATOR_DEFAULT_PREFIX \"${CMAKE_INSTALL_PREFIX}\")\n"
  "include(\"${CMAKE_CURRENT_LIST_DIR}/uninstall.cmake\")\n")

if(WIN32)
  # The program at the top of its folder, where a Windows user looks for it.
  install(TARGETS kondensator RUNTIME DESTINATION .)
else()
  install(TARGETS kondensator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# No build id: no symbols are shipped for it to match, and its hash bytes,
# read as text, can spell what lintian takes for a misspelt word. No link
# time in a Windows program: two builds of the same sources are the same.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_link_options(kondensator PRIVATE LINKER:--build-id=none)
elseif(MINGW)
  target_link_options(kondensator PRIVATE LINKER:--no-insert-timestamp)
endif()

if(WIN32)
  # Text files a Windows user opens in Notepad: Windows line ends.
  configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(packaging/windows/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/LICENSE.txt ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)
else()
  # Debian's layout: the manual page and the changelog gzipped, the copyright
  # file beside the changelog. The manual page carries the version and the
  # month of the release.
  configure_file(doc/kondensator.1.in kondensator.1 @ONLY)
  set(compressed "")
  foreach(document ${PROJECT_BINARY_DIR}/kondensator.1 ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
    get_filename_component(name ${document} NAME)
    set(output ${PROJECT_BINARY_DIR}/${name}.gz)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${document} -DOUTPUT=${output} -P ${PROJECT_SOURCE_DIR}/cmake/gzip.cmake
      DEPENDS ${document} VERBATIM)
    list(APPEND compressed ${output})
  endforeach()
  add_custom_target(compressed_documents ALL DEPENDS ${compressed})
  # Built with the program, so that whatever builds it can install it.
  add_dependencies(kondensator compressed_documents)
  install(FILES ${PROJECT_BINARY_DIR}/kondensator.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_BINARY_DIR}/changelog.gz packaging/debian/copyright
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # The menu entry, where freedesktop.org desktops look for it: the entry
  # (Terminal=true: the program talks through a console), the icon in the
  # hicolor theme, and the AppStream metadata that software centres show.
  set(KONDENSATOR_APPSTREAM_ID example.c_seed_a2dd412e.kondensator)
  configure_file(packaging/linux/kondensator.metainfo.xml.in ${KONDENSATOR_APPSTREAM_ID}.metainfo.xml @ONLY)
  install(FILES packaging/linux/kondensator.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_BINARY_DIR}/${KONDENSATOR_APPSTREAM_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  if(CMAKE_CROSSCOMPILING)
    # A cross build cannot run what it builds: the icon tool is built for this machine.
    find_program(KONDENSATOR_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
    set(make_icon ${PROJECT_BINARY_DIR}/host/make_icon)
    add_custom_command(OUTPUT ${make_icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/host
      COMMAND ${KONDENSATOR_HOST_CXX} -std=c++20 -O2 -o ${make_icon} ${PROJECT_SOURCE_DIR}/tools/make_icon.cpp -lz
      DEPENDS tools/make_icon.cpp tools/icon_grid.hpp VERBATIM)
  else()
    set(make_icon make_icon)
  endif()
  set(icons "")
  foreach(size ${hicolor_sizes})
    set(folder icons/hicolor/${size}x${size}/apps)
    add_custom_command(OUTPUT ${folder}/kondensator.png
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/${folder}
      COMMAND ${make_icon} ${PROJECT_SOURCE_DIR}/src/icon/icon.txt ${PROJECT_BINARY_DIR}/${folder}/kondensator.png ${size}
      DEPENDS ${make_icon} src/icon/icon.txt VERBATIM)
    install(FILES ${PROJECT_BINARY_DIR}/${folder}/kondensator.png DESTINATION ${CMAKE_INSTALL_DATADIR}/${folder})
    list(APPEND icons ${PROJECT_BINARY_DIR}/${folder}/kondensator.png)
  endforeach()
  add_custom_target(linux_icons ALL DEPENDS ${icons})
  add_dependencies(kondensator linux_icons)
  # A stripped program keeps no compiler identification either.
  if(CMAKE_OBJCOPY)
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kondensator\")
      endif()")
  endif()
endif()
install(CODE "kondensator_install_finished(\"${install_records}\")")

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Counts the discharges of a capacitor into an empty capacitor")
set(CPACK_PACKAGE_DESCRIPTION "\
kondensator is an interactive console program in Norwegian. It asks for the
capacitance of two capacitors, the starting voltage of capacitor 1 and a final
voltage, then connects capacitor 1 to the empty capacitor 2 again and again
and writes how many discharges it takes until the voltage of capacitor 1 falls
below the final voltage. Every discharge is carried out exactly as its
arithmetic defines (53-bit rounding, an exponent that does not overflow).")
set(CPACK_PACKAGE_CONTACT "kondensator <kondensator@users.noreply.c-seed-a2dd412e.example>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# The folders a package holds, whatever the umask of whoever makes it.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_VERBATIM_VARIABLES ON)  # the ignore patterns below hold backslashes
find_package(Git QUIET)
configure_file(cmake/cpack_project_config.cmake.in CPackProjectConfig.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackProjectConfig.cmake)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION math)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

# The source tarball, kondensator-VERSION.tar.gz: the commit checked out, as
# git holds it, with the commit's time on every file (cmake --build build
# --target source_tarball). Changes not yet committed are not in it.
find_package(Git QUIET)
set(source_tarball ${PROJECT_BINARY_DIR}/${PROJECT_NAME}-${PROJECT_VERSION}.tar.gz)
if(GIT_EXECUTABLE AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
  add_custom_target(source_tarball
    COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} archive --format=tar.gz
            --prefix=${PROJECT_NAME}-${PROJECT_VERSION}/ -o ${source_tarball} HEAD
    VERBATIM)
else()
  add_custom_target(source_tarball
    COMMAND ${CMAKE_COMMAND} -E echo "The source tarball is made by git archive, from a git checkout:"
            "${PROJECT_SOURCE_DIR} is none, or git is not installed."
    COMMAND ${CMAKE_COMMAND} -E false
    VERBATIM)
endif()
include(CPack)

# The Windows Installer package, kondensator-VERSION-x64.msi, for the schools'
# device management: cmake --build build-windows --target msi.
if(WIN32)
  find_program(KONDENSATOR_WIXL wixl)
  find_program(KONDENSATOR_MSIBUILD msibuild)
  find_program(KONDENSATOR_FAKETIME faketime)
  if(KONDENSATOR_WIXL AND KONDENSATOR_MSIBUILD AND KONDENSATOR_FAKETIME)
    set(msi ${PROJECT_BINARY_DIR}/kondensator-${PROJECT_VERSION}-x64.msi)
    add_custom_command(OUTPUT ${msi}
      COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR} -DOUTPUT=${msi} -DICON=${KONDENSATOR_ICON}
              -DVERSION=${PROJECT_VERSION} -DRELEASE_TIME=${KONDENSATOR_RELEASE_TIME} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
              -DWIXL=${KONDENSATOR_WIXL} -DMSIBUILD=${KONDENSATOR_MSIBUILD} -DFAKETIME=${KONDENSATOR_FAKETIME}
              -P ${PROJECT_SOURCE_DIR}/cmake/msi.cmake
      DEPENDS kondensator ${PROJECT_BINARY_DIR}/LICENSE.txt ${PROJECT_BINARY_DIR}/README.txt ${KONDENSATOR_ICON}
              ${PROJECT_SOURCE_DIR}/packaging/windows/kondensator.wxs.in ${PROJECT_SOURCE_DIR}/cmake/msi.cmake
      VERBATIM)
    add_custom_target(msi DEPENDS ${msi})
  else()
    message(STATUS "Note: the .msi is left out: wixl and msibuild (msitools) and faketime are needed")
  endif()
endif()
