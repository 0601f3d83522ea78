# Checks the resources that the Windows program EXE carries, as WINDRES reads
# them: the icon, and version information with VERSION, a Norwegian file
# description, the product name and the license in the copyright field. And
# that its header carries no link time, which would differ between builds.
file(READ ${EXE} offset OFFSET 60 LIMIT 4 HEX)  # where the PE header starts, little-endian
string(REGEX REPLACE "(..)(..)(..)(..)" "0x\\4\\3\\2\\1" offset "${offset}")
math(EXPR offset "${offset} + 8")  # "PE\0\0", the machine and the number of sections come first
file(READ ${EXE} link_time OFFSET ${offset} LIMIT 4 HEX)
if(NOT link_time STREQUAL "00000000")
  message(FATAL_ERROR "${EXE} carries a link time (${link_time})")
endif()
execute_process(COMMAND ${WINDRES} --input ${EXE} --output-format rc
                OUTPUT_VARIABLE resources RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${WINDRES} cannot read the resources of ${EXE}")
endif()
string(REPLACE "." ", " numbers "${VERSION}")
foreach(expected "RT_GROUP_ICON" "FILEVERSION ${numbers}, 0" "PRODUCTVERSION ${numbers}, 0"
                 "VALUE \"FileVersion\", \"${VERSION}\"" "VALUE \"ProductVersion\", \"${VERSION}\""
                 "VALUE \"ProductName\", \"kondensator\"" "VALUE \"FileDescription\", \"Teller utladninger"
                 "VALUE \"OriginalFilename\", \"kondensator.exe\"" "BLOCK \"041404b0\""
                 "VALUE \"LegalCopyright\", \"Copyright (c) 2026 The kondensator authors. MIT-lisensen.\"")
  string(FIND "${resources}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${EXE} has no ${expected} in its resources:\n${resources}")
  endif()
endforeach()
