# The web build, compiled with emscripten: its program runs every transcript
# under node, and its page runs them again in headless Chromium, Firefox and
# WebKitGTK, typed as keystrokes, with the runs of web/scenarios.json.
kondensator_test_option(KONDENSATOR_WEB_TESTS web_tools "the web build under node" em-config emcc node)
if(NOT web_tools)
  return()
endif()

set(web_build ${PROJECT_BINARY_DIR}/web)
kondensator_cross_build(kondensator_web emscripten.cmake ${web_build})
# A second build elsewhere must give the same page, byte for byte.
kondensator_cross_build(kondensator_web_again emscripten.cmake ${PROJECT_BINARY_DIR}/web-again)
add_test(NAME web.page_is_reproducible
  COMMAND ${CMAKE_COMMAND} -E compare_files ${web_build}/kondensator.html ${PROJECT_BINARY_DIR}/web-again/kondensator.html)
# Where the web build reads numbers with the C library's strtod: against
# JavaScript's reading, which is correctly rounded too.
add_test(NAME web.build_number_reader COMMAND ${CMAKE_COMMAND} --build ${web_build} --target web_read_number)
set_tests_properties(web.build_number_reader PROPERTIES FIXTURES_SETUP web_read_number)
add_test(NAME web.node.number_reader
  COMMAND ${KONDENSATOR_NODE} ${CMAKE_CURRENT_SOURCE_DIR}/web/read_number_test.cjs ${web_build}/web_read_number.js)
set_tests_properties(web.node.number_reader PROPERTIES FIXTURES_REQUIRED web_read_number)
foreach(input ${transcripts})
  get_filename_component(name ${input} NAME_WE)
  add_test(NAME web.node.transcript.${name}
    COMMAND ${KONDENSATOR_NODE} ${CMAKE_CURRENT_SOURCE_DIR}/web/run_transcript.cjs ${web_build}/kondensator.js
            ${input} ${CMAKE_CURRENT_SOURCE_DIR}/transcripts/${name}.out)
endforeach()

# The browsers: each needs its own programs, and all need the npm packages
# of the project's lock file (npm ci). AUTO leaves out, and names, a browser
# that is missing something; ON insists on all three.
set(KONDENSATOR_BROWSER_TESTS AUTO CACHE STRING "Test the page in Chromium, Firefox and WebKitGTK: AUTO, ON or OFF")
set_property(CACHE KONDENSATOR_BROWSER_TESTS PROPERTY STRINGS AUTO ON OFF)
if(KONDENSATOR_BROWSER_TESTS STREQUAL "OFF")
  return()
endif()
set(web_tests ${CMAKE_CURRENT_SOURCE_DIR}/web)
find_program(KONDENSATOR_CHROMIUM chromium)
find_program(KONDENSATOR_FIREFOX firefox-esr)
find_program(KONDENSATOR_WEBKITWEBDRIVER WebKitWebDriver)
find_program(KONDENSATOR_XVFB_RUN xvfb-run)
find_program(KONDENSATOR_MINIBROWSER MiniBrowser NO_DEFAULT_PATH PATHS
             /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/webkit2gtk-4.1 /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/webkit2gtk-4.0
             /usr/libexec/webkit2gtk-4.1 /usr/libexec/webkit2gtk-4.0)
set(npm_packages_found FALSE)
if(EXISTS ${PROJECT_SOURCE_DIR}/node_modules/puppeteer-core/package.json
   AND EXISTS ${PROJECT_SOURCE_DIR}/node_modules/axe-core/axe.min.js)
  set(npm_packages_found TRUE)
endif()

set(page ${web_build}/kondensator.html)
foreach(browser chromium firefox webkit)
  set(missing "")
  if(NOT npm_packages_found)
    list(APPEND missing "the npm packages (npm ci)")
  endif()
  if(browser STREQUAL "chromium" AND NOT KONDENSATOR_CHROMIUM)
    list(APPEND missing chromium)
  elseif(browser STREQUAL "firefox" AND NOT KONDENSATOR_FIREFOX)
    list(APPEND missing firefox-esr)
  elseif(browser STREQUAL "webkit")
    foreach(needed WebKitWebDriver MiniBrowser xvfb-run)
      string(MAKE_C_IDENTIFIER "KONDENSATOR_${needed}" variable)
      string(TOUPPER ${variable} variable)
      if(NOT ${variable})
        list(APPEND missing ${needed})
      endif()
    endforeach()
  endif()
  if(missing)
    string(REPLACE ";" ", " missing "${missing}")
    set(why "the page in ${browser} is left out: ${missing} not installed")
    if(KONDENSATOR_BROWSER_TESTS STREQUAL "ON")
      message(FATAL_ERROR "KONDENSATOR_BROWSER_TESTS is ON, but ${why}")
    endif()
    message(STATUS "Note: ${why}")
    continue()
  endif()
  foreach(run transcripts scenarios)
    set(arguments ${page} ${CMAKE_CURRENT_SOURCE_DIR}/transcripts ${run})
    if(browser STREQUAL "chromium")
      set(command ${KONDENSATOR_NODE} ${web_tests}/browser_test.mjs chrome ${KONDENSATOR_CHROMIUM} ${arguments})
    elseif(browser STREQUAL "firefox")
      set(command ${KONDENSATOR_NODE} ${web_tests}/browser_test.mjs firefox ${KONDENSATOR_FIREFOX} ${arguments})
    else()
      set(command ${KONDENSATOR_XVFB_RUN} -a ${KONDENSATOR_NODE} ${web_tests}/browser_test.mjs webkit
                  ${KONDENSATOR_MINIBROWSER} ${arguments} ${KONDENSATOR_WEBKITWEBDRIVER})
    endif()
    add_test(NAME web.${browser}.${run} COMMAND ${command})
    set_tests_properties(web.${browser}.${run} PROPERTIES TIMEOUT 600)
  endforeach()
endforeach()
