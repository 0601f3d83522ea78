# Makes the Windows Installer package OUTPUT from the Windows build BUILD, with
# wixl, msibuild (msitools) and faketime: the files the build installs (the
# stripped program, the license and the readme) and the icon ICON, as
# packaging/windows/kondensator.wxs.in describes them, for version VERSION.
# RELEASE_TIME (seconds since 1970) is the time of every file in the package
# and of the package itself, so that two builds of the same sources give the
# same bytes:
# - the product code is a name-based UUID of the version, and the package
#   code one of the version and of what goes into the package;
# - strip gives the program the release time, as in the .zip;
# - wixl gives the cabinet's files their own times, which are set first, and
#   the summary information the time it runs, which faketime stops at the
#   release time (a clock that ran on from it would move on to the next
#   second on a busy machine);
# - msibuild then sets the summary's package code, in place of wixl's random
#   one, and its template: 64-bit, Norwegian (1044).
# msibuild adds the search for the program's component, which wixl cannot
# express, and gives the program's File row the version the program carries,
# which wixl leaves empty: Windows Installer then treats it as a program, not
# as data, and replaces it on a repair where it is damaged or missing. A file
# with a version has no hash in MsiFileHash.
cmake_minimum_required(VERSION 3.20)

foreach(variable BUILD OUTPUT ICON VERSION RELEASE_TIME WIXL MSIBUILD FAKETIME SOURCE_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "msi.cmake needs -D${variable}=...")
  endif()
endforeach()
# Shared by every version, so that each replaces the one before; the codes
# of a version are derived from it.
set(MSI_UPGRADE_CODE 8646254D-724D-4743-9333-F30ECFD37A91)
# The program's component, in every version: an upgrade finds the folder of
# a version that kept none in the registry where this component is.
set(MSI_PROGRAM_COMPONENT 2585DC6B-E11D-4B10-A0F8-2AF5A3077FB6)

# wixl reports features it does not implement (none of which the package
# uses) and GLib warnings on standard error; only its status counts.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

# strip gives the program the time SOURCE_DATE_EPOCH names, or the time it runs.
set(ENV{SOURCE_DATE_EPOCH} ${RELEASE_TIME})
set(stage ${OUTPUT}.files)
file(REMOVE_RECURSE ${stage})
kondensator_run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${stage} --strip)
file(COPY ${ICON} DESTINATION ${stage})
set(files kondensator.exe LICENSE.txt README.txt kondensator.ico)
kondensator_run(touch -d @${RELEASE_TIME} ${files} WORKING_DIRECTORY ${stage})
foreach(file ${files})
  if(NOT EXISTS ${stage}/${file})
    message(FATAL_ERROR "${stage}/${file} is missing")
  endif()
endforeach()

set(MSI_VERSION ${VERSION})
string(UUID MSI_PRODUCT_CODE NAMESPACE ${MSI_UPGRADE_CODE} NAME "product ${VERSION}" TYPE SHA1 UPPER)
configure_file(${SOURCE_DIR}/packaging/windows/kondensator.wxs.in ${stage}/kondensator.wxs @ONLY)
set(contents "${VERSION}")
# This script too: what it changes after wixl is part of the package.
foreach(file ${files} kondensator.wxs ${CMAKE_CURRENT_LIST_FILE})
  get_filename_component(file ${file} ABSOLUTE BASE_DIR ${stage})
  file(SHA256 ${file} hash)
  string(APPEND contents " ${hash}")
endforeach()
string(UUID package_code NAMESPACE ${MSI_UPGRADE_CODE} NAME "package ${contents}" TYPE SHA1 UPPER)

# The release time as faketime takes it, in UTC (string(TIMESTAMP) formats
# the time SOURCE_DATE_EPOCH names).
string(TIMESTAMP time "%Y-%m-%d %H:%M:%S" UTC)

file(REMOVE ${OUTPUT})
kondensator_run(${CMAKE_COMMAND} -E env TZ=UTC ${FAKETIME} -f "${time}" ${WIXL} --arch x64 --output ${OUTPUT} kondensator.wxs
                WORKING_DIRECTORY ${stage})
# The program's version resource starts with the signature 0xFEEF04BD, then
# the structure's version and the file version, two 32-bit words.
file(READ ${stage}/kondensator.exe program HEX)
string(FIND "${program}" "bd04effe" at)
math(EXPR odd "${at} % 2")
if(at EQUAL -1 OR odd)
  message(FATAL_ERROR "${stage}/kondensator.exe has no version resource")
endif()
string(SUBSTRING "${program}" ${at} 32 fixed)
string(REGEX REPLACE "^........(........)(..)(..)(..)(..)(..)(..)(..)(..)$" "0x\\5\\4;0x\\3\\2;0x\\9\\8;0x\\7\\6" words "${fixed}")
set(file_version "")
foreach(word ${words})
  math(EXPR word "${word}")
  list(APPEND file_version ${word})
endforeach()
list(JOIN file_version "." file_version)

# msibuild takes -s last, with all that follows it.
execute_process(COMMAND ${MSIBUILD} ${OUTPUT}
                        -q "UPDATE `File` SET `Version` = '${file_version}', `Language` = '1044' WHERE `File` = 'kondensator.exe'"
                        -q "DELETE FROM `MsiFileHash` WHERE `File_` = 'kondensator.exe'"
                        -q "CREATE TABLE `CompLocator` (`Signature_` CHAR(72) NOT NULL, `ComponentId` CHAR(38) NOT NULL, `Type` SHORT PRIMARY KEY `Signature_`)"
                        -q "INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('PROGRAMDIR', 'Program')"
                        -q "INSERT INTO `CompLocator` (`Signature_`, `ComponentId`, `Type`) VALUES ('Program', '{${MSI_PROGRAM_COMPONENT}}', 1)"
                        -s "Kondensator ${VERSION}" "The kondensator authors" "x64;1044" "{${package_code}}"
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status STREQUAL "0")
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "msibuild failed (${status}):\n${log}")
endif()
