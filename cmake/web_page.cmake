cmake_minimum_required(VERSION 3.20)  # "@NAME@" is text, not a variable
# Makes the page from SOURCE/kondensator.html, for version VERSION, with the
# program PROGRAM (the script emscripten made) and the icons in ICONS:
# - MODE=single: the file OUTPUT, holding everything: its style, its scripts,
#   the program in the script its worker runs, and its icon as a data: URL,
#   so that it works from a disk and can be shared as it is;
# - MODE=site: the folder OUTPUT, for a web server: index.html, the manifest,
#   the service worker, the icons and the teachers' guides from DOCS (bokmål
#   and nynorsk), and a folder named with the version for the style, the
#   scripts, the worker and the program, which never change within a version.
#   It has no inline script or style, so that it runs under a strict
#   Content-Security-Policy.

# The page's scripts, in the order they run.
set(scripts line_discipline.js page_state.js language.js page_words.js lesson.js panel.js console.js)

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

# Puts TEXT in place of the marker <!--@NAME@--> in the variable `page`.
function(fill name text)
  string(FIND "${page}" "<!--@${name}@-->" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "kondensator.html has no marker <!--@${name}@-->")
  endif()
  string(REPLACE "<!--@${name}@-->" "${text}" page "${page}")
  set(page "${page}" PARENT_SCOPE)
endfunction()

file(READ ${SOURCE}/kondensator.html page)
string(REPLACE "@VERSION@" "${VERSION}" page "${page}")
file(READ ${SOURCE}/worker.js worker)
string(REPLACE "@VERSION@" "${VERSION}" worker "${worker}")

if(MODE STREQUAL "single")
  file(READ ${SOURCE}/kondensator.css style)
  check_inlinable("${style}" kondensator.css style)
  set(code "")
  foreach(script ${scripts})
    file(READ ${SOURCE}/${script} text)
    check_inlinable("${text}" ${script} script)
    string(APPEND code "${text}")
  endforeach()
  file(READ ${PROGRAM} program)
  string(APPEND program "\n${worker}")
  check_inlinable("${program}" "${PROGRAM} with worker.js" script)
  # The icon as a data: URL, with the few characters a URL cannot hold as they are.
  file(READ ${ICONS}/icon.svg icon)
  string(STRIP "${icon}" icon)
  string(REPLACE "%" "%25" icon "${icon}")
  foreach(character "#;%23" "<;%3C" ">;%3E" "\";'")
    list(GET character 0 from)
    list(GET character 1 to)
    string(REPLACE "${from}" "${to}" icon "${icon}")
  endforeach()
  fill(HEAD "<link rel=\"icon\" href=\"data:image/svg+xml,${icon}\">\n<style>\n${style}</style>")
  fill(SCRIPTS "<script type=\"text/js-worker\" id=\"program\">\n${program}</script>\n<script>\n${code}</script>")
  file(WRITE ${OUTPUT} "${page}")
  return()
endif()

set(versioned kondensator.css ${scripts} worker.js kondensator.js)
set(site_files index.html manifest.json icon.svg icon-192.png icon-512.png icon-maskable.png favicon.ico
               LESMEG.txt LESMEG-nynorsk.txt)
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT}/${VERSION})
set(head "<link rel=\"icon\" href=\"icon.svg\" type=\"image/svg+xml\">
<link rel=\"apple-touch-icon\" href=\"icon-192.png\">
<link rel=\"manifest\" href=\"manifest.json\">
<link rel=\"stylesheet\" href=\"${VERSION}/kondensator.css\">")
fill(HEAD "${head}")
set(tags "")
foreach(script ${scripts})
  string(APPEND tags "<script src=\"${VERSION}/${script}\"></script>\n")
endforeach()
string(STRIP "${tags}" tags)
fill(SCRIPTS "${tags}")
file(WRITE ${OUTPUT}/index.html "${page}")
file(WRITE ${OUTPUT}/${VERSION}/worker.js "${worker}")
file(COPY ${SOURCE}/kondensator.css ${PROGRAM} DESTINATION ${OUTPUT}/${VERSION})
foreach(script ${scripts})
  file(COPY ${SOURCE}/${script} DESTINATION ${OUTPUT}/${VERSION})
endforeach()
file(COPY ${SOURCE}/manifest.json DESTINATION ${OUTPUT})
file(COPY ${ICONS}/icon.svg ${ICONS}/icon-192.png ${ICONS}/icon-512.png ${ICONS}/icon-maskable.png
     DESTINATION ${OUTPUT})
configure_file(${WINDOWS_ICON} ${OUTPUT}/favicon.ico COPYONLY)
# The guides, with the version in the file names.
configure_file(${DOCS}/LESMEG.txt.in ${OUTPUT}/LESMEG.txt @ONLY)
configure_file(${DOCS}/LESMEG-nynorsk.txt.in ${OUTPUT}/LESMEG-nynorsk.txt @ONLY)
# The service worker keeps every file, and the folder's own address.
list(TRANSFORM versioned PREPEND "${VERSION}/")
list(TRANSFORM site_files PREPEND "'./" OUTPUT_VARIABLE cached)
list(TRANSFORM versioned PREPEND "'./" OUTPUT_VARIABLE cached_versioned)
list(APPEND cached ${cached_versioned})
list(TRANSFORM cached APPEND "'")
list(PREPEND cached "'./'")
string(REPLACE ";" ", " FILES "${cached}")
configure_file(${SOURCE}/service_worker.js ${OUTPUT}/service_worker.js @ONLY)
foreach(file ${site_files} ${versioned} service_worker.js)
  if(NOT EXISTS ${OUTPUT}/${file})
    message(FATAL_ERROR "the site has no ${file}")
  endif()
endforeach()
