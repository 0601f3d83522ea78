# Checks the resources that the Windows program EXE carries, as WINDRES reads
# them: the icon, and version information with VERSION, a Norwegian file
# description, the product name and the license in the copyright field.
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
