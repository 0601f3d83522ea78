# Installs and removes the Windows Installer package MSI as device management
# does (msiexec /qn) in a fresh Wine prefix PREFIX, with an older package OLD
# (version OLD_VERSION) before and after it: an upgrade from OLD leaves one
# install, of VERSION; the installed program gives the transcript INPUT's
# output EXPECTED; its Start menu entry points at it; OLD is then refused; and
# removal leaves nothing of the package behind. Also checks, with MSIINFO,
# the properties the package carries and the program's version, and with
# ICOTOOL the icon's sizes. OLD goes into a folder of IT's choice, which the
# registry and the Uninstall entry name, and the upgrade and a repair keep.
cmake_minimum_required(VERSION 3.20)  # globs that follow no links
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/run.cmake)
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)
# No menu entries or file associations for the machine that runs the test.
set(ENV{WINEDLLOVERRIDES} "winemenubuilder.exe=d")
set(folder "${PREFIX}/drive_c/Apps/kondensator")
set(program "C:\\Apps\\kondensator\\kondensator.exe")
set(uninstall "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")

function(property package name variable)
  execute_process(COMMAND ${MSIINFO} export ${package} Property OUTPUT_VARIABLE table RESULT_VARIABLE status)
  if(NOT status STREQUAL "0" OR NOT table MATCHES "\n${name}\t([^\n]*)")
    message(FATAL_ERROR "${package} has no property ${name}")
  endif()
  set(${variable} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

# Runs msiexec with the arguments and /qn, and checks its status, of which a
# Linux process keeps the low 8 bits (1603, "fatal error", is 67).
function(msiexec expected_status)
  execute_process(COMMAND ${WINE} msiexec ${ARGN} /qn /l*v ${PREFIX}/msiexec.log RESULT_VARIABLE status)
  execute_process(COMMAND ${WINESERVER} -w)
  math(EXPR expected_status "${expected_status} % 256")
  if(NOT status STREQUAL expected_status)
    string(REPLACE ";" " " arguments "${ARGN}")
    message(FATAL_ERROR "msiexec ${arguments}: status ${status}, expected ${expected_status}")
  endif()
endfunction()

# Whether Installed apps lists the product with the code CODE, at VERSION, in C:\Apps\kondensator.
function(expect_installed code version)
  execute_process(COMMAND ${WINE} reg query "${uninstall}\\${code}"
                  OUTPUT_VARIABLE entry RESULT_VARIABLE status ERROR_QUIET)
  execute_process(COMMAND ${WINE} reg query "HKLM\\Software\\kondensator" /v InstallDir OUTPUT_VARIABLE kept ERROR_QUIET)
  if(version STREQUAL "none")
    if(status STREQUAL "0")
      message(FATAL_ERROR "${code} is still installed:\n${entry}")
    endif()
  elseif(NOT status STREQUAL "0" OR NOT entry MATCHES "DisplayVersion[ \t]+REG_SZ[ \t]+${version}"
         OR NOT "${entry}${kept}" MATCHES "InstallLocation[^\n]*REG_SZ[ \t]+C:\\\\Apps\\\\kondensator\\\\\r?\n.*InstallDir[ \t]+REG_SZ[ \t]+C:\\\\Apps\\\\kondensator\\\\\r?\n")
    message(FATAL_ERROR "${code} is not installed at ${version} in C:\\Apps\\kondensator:\n${entry}${kept}")
  endif()
endfunction()

# The Start menu entries: all users', and the installing user's, where Wine
# puts those of a per-machine package.
function(shortcuts variable)
  file(GLOB_RECURSE found "${PREFIX}/drive_c/ProgramData/*.lnk" "${PREFIX}/drive_c/users/*.lnk")
  list(FILTER found INCLUDE REGEX "/Start Menu/Programs/Kondensator\\.lnk$")
  set(${variable} "${found}" PARENT_SCOPE)
endfunction()

# What the package says of itself.
property(${MSI} ProductCode code)
property(${OLD} ProductCode old_code)
property(${MSI} UpgradeCode upgrade_code)
property(${OLD} UpgradeCode old_upgrade_code)
if(code STREQUAL old_code OR NOT upgrade_code STREQUAL old_upgrade_code)
  message(FATAL_ERROR "the versions need their own product codes and one upgrade code: ${code} ${old_code}")
endif()
foreach(expected "ProductName=Kondensator" "ProductVersion=${VERSION}" "Manufacturer=The kondensator authors"
                 "ProductLanguage=1044" "ALLUSERS=1" "ARPPRODUCTICON=kondensator.ico")
  string(REPLACE "=" ";" expected "${expected}")
  list(GET expected 0 name)
  list(GET expected 1 value)
  property(${MSI} ${name} actual)
  if(NOT actual STREQUAL value)
    message(FATAL_ERROR "${MSI}: ${name} is '${actual}', not '${value}'")
  endif()
endforeach()
execute_process(COMMAND ${MSIINFO} suminfo ${MSI} OUTPUT_VARIABLE summary)
if(NOT summary MATCHES "Template: x64;1044\n")
  message(FATAL_ERROR "${MSI} is no 64-bit package in Norwegian:\n${summary}")
endif()
execute_process(COMMAND ${MSIINFO} export ${MSI} File OUTPUT_VARIABLE files)
if(NOT files MATCHES "\nkondensator\\.exe\tProgram\tkondensator\\.exe\t[0-9]+\t${VERSION}\\.0\t1044\t")
  message(FATAL_ERROR "${MSI} gives kondensator.exe no version ${VERSION}.0:\n${files}")
endif()
# The icon, the package's (Installed apps, Start menu) and the program's: every size, all but one with alpha.
function(expect_icon_sizes what command)
  execute_process(COMMAND ${command} OUTPUT_FILE ${PREFIX}.ico)
  execute_process(COMMAND ${ICOTOOL} -l ${PREFIX}.ico OUTPUT_VARIABLE sizes)
  string(REGEX REPLACE "--icon --index=[0-9]+ --width=([0-9]+) --height=([0-9]+) --bit-depth=([0-9]+) [^\n]*\n" "\\1x\\2x\\3 " sizes "${sizes}")
  if(NOT sizes STREQUAL "16x16x32 32x32x4 48x48x32 64x64x32 256x256x32 ")
    message(FATAL_ERROR "the ${what} icon has the sizes (width x height x bits) ${sizes}")
  endif()
endfunction()
expect_icon_sizes(package "${MSIINFO};extract;${MSI};Icon.kondensator.ico")

# A fresh prefix. Wine has been seen, once, on a busy machine, to leave a
# prefix without its system DLLs ("could not load kernel32.dll"): such a
# prefix is made once more, and a second failure shows what wineboot said.
foreach(try 1 2)
  file(REMOVE_RECURSE ${PREFIX})
  execute_process(COMMAND ${WINE} wineboot --init RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
  execute_process(COMMAND ${WINESERVER} -w)
  if(status STREQUAL "0" AND EXISTS ${PREFIX}/drive_c/windows/system32/kernel32.dll)
    break()
  elseif(try EQUAL 2)
    message(FATAL_ERROR "wineboot --init made no prefix in ${PREFIX} (status ${status}):\n${said}")
  endif()
  message(STATUS "wineboot --init made no prefix (status ${status}), once more:\n${said}")
endforeach()

msiexec(0 /i ${OLD} INSTALLDIR=C:\\Apps\\kondensator)
expect_installed(${old_code} ${OLD_VERSION})
# As a version that kept no folder: the upgrade finds the folder where the program is.
execute_process(COMMAND ${WINE} reg delete "HKLM\\Software\\kondensator" /f OUTPUT_QUIET ERROR_QUIET)
msiexec(0 /i ${MSI})
expect_installed(${old_code} none)
expect_installed(${code} ${VERSION})
foreach(file kondensator.exe LICENSE.txt README.txt)
  if(NOT EXISTS "${folder}/${file}")
    message(FATAL_ERROR "${folder}/${file} is not installed")
  endif()
endforeach()
shortcuts(links)
list(LENGTH links count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "${count} Start menu entries for Kondensator: ${links}")
endif()
expect_icon_sizes(program "${WRESTOOL};-x;--type=group_icon;${folder}/kondensator.exe")
file(STRINGS ${links} target REGEX "kondensator\\.exe$")
if(NOT target MATCHES "C:\\\\Apps\\\\kondensator\\\\kondensator\\.exe")
  message(FATAL_ERROR "the Start menu entry points at '${target}'")
endif()
kondensator_run(${CMAKE_COMMAND} -DLAUNCHER=${WINE} -DPROGRAM=${program} -DINPUT=${INPUT} -DEXPECTED=${EXPECTED}
                -DLINE_END=CRLF -P ${CMAKE_CURRENT_LIST_DIR}/../transcripts/run_transcript.cmake)
# A repair (msiexec /f: REINSTALLMODE=omus; Wine's /f does nothing) mends a damaged program in its folder.
file(WRITE "${folder}/kondensator.exe" "damaged")
msiexec(0 /i ${MSI} REINSTALL=ALL REINSTALLMODE=omus)
kondensator_run(${CMAKE_COMMAND} -DLAUNCHER=${WINE} -DPROGRAM=${program} -DINPUT=${INPUT} -DEXPECTED=${EXPECTED}
                -DLINE_END=CRLF -P ${CMAKE_CURRENT_LIST_DIR}/../transcripts/run_transcript.cmake)

# An older version over this one is refused ("fatal error"), with the reason
# the older package's launch condition gives (which Wine shows nowhere).
msiexec(1603 /i ${OLD})
expect_installed(${code} ${VERSION})
execute_process(COMMAND ${MSIINFO} export ${OLD} LaunchCondition OUTPUT_VARIABLE conditions)
if(NOT conditions MATCHES "NOT WIX_DOWNGRADE_DETECTED\tEn nyere versjon av Kondensator er allerede installert")
  message(FATAL_ERROR "a downgrade is refused without a reason in Norwegian:\n${conditions}")
endif()

msiexec(0 /x ${MSI})
expect_installed(${code} none)
shortcuts(links)
execute_process(COMMAND ${WINE} reg query "HKLM\\Software\\kondensator" RESULT_VARIABLE kept OUTPUT_QUIET ERROR_QUIET)
if(EXISTS "${folder}" OR links OR kept STREQUAL "0")
  message(FATAL_ERROR "the removal leaves ${folder}, ${links} or HKLM\\Software\\kondensator behind")
endif()
