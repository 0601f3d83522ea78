cmake_minimum_required(VERSION 3.20)  # "@NAME@" is text, not a variable
# Makes the page OUTPUT from SOURCE/kondensator.html by putting its style, its
# script, and the program with the script that runs it in a worker in place
# of the markers /*@STYLE@*/, /*@CONSOLE@*/ and /*@PROGRAM@*/. PROGRAM is the
# script emscripten made.

# Text that would end the element it stands in, or make the HTML parser look
# for an end elsewhere.
function(check_inlinable text name closing)
  string(TOLOWER "${text}" lower)
  foreach(sequence "</${closing}" "<!--" "<script")
    string(FIND "${lower}" "${sequence}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "${name} holds '${sequence}', which cannot stand inside a <${closing}> element")
    endif()
  endforeach()
endfunction()

file(READ ${SOURCE}/kondensator.html page)
file(READ ${SOURCE}/kondensator.css style)
file(READ ${SOURCE}/console.js console)
file(READ ${PROGRAM} program)
file(READ ${SOURCE}/worker.js worker)
string(APPEND program "\n${worker}")
check_inlinable("${style}" kondensator.css style)
check_inlinable("${console}" console.js script)
check_inlinable("${program}" "${PROGRAM} with worker.js" script)

foreach(part STYLE CONSOLE PROGRAM)
  string(FIND "${page}" "/*@${part}@*/" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "kondensator.html has no marker /*@${part}@*/")
  endif()
endforeach()
string(REPLACE "/*@STYLE@*/" "${style}" page "${page}")
string(REPLACE "/*@CONSOLE@*/" "${console}" page "${page}")
string(REPLACE "/*@PROGRAM@*/" "${program}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
