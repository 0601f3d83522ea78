# The web build, compiled with emscripten: its program runs every transcript,
# in bokmål and nynorsk, under node through the page's worker script, the
# page's logic its tables under node, and the page every transcript again in
# headless Chromium, Firefox and WebKitGTK, typed as keystrokes, with the runs
# of web/scenarios.test.mjs and, served from 127.0.0.1, the site's.
kondensator_test_option(KONDENSATOR_WEB_TESTS web_tools "the web build under node" em-config emcc node)
if(NOT web_tools)
  return()
endif()

set(web_build ${PROJECT_BINARY_DIR}/web)
kondensator_cross_build(kondensator_web emscripten.cmake ${web_build})
# A second build elsewhere must give the same page, byte for byte.
kondensator_cross_build(kondensator_web_again emscripten.cmake ${PROJECT_BINARY_DIR}/web-again)
add_test(NAME web.package COMMAND ${CMAKE_COMMAND} --build ${web_build} --target package)
set_tests_properties(web.package PROPERTIES FIXTURES_SETUP web_package)
add_test(NAME web.page_is_reproducible
  COMMAND ${CMAKE_COMMAND} -DFIRST=${web_build}/kondensator.html -DSECOND=${PROJECT_BINARY_DIR}/web-again/kondensator.html
          -P ${packaging_tests}/same_bytes.cmake)
# The second build's site, packed with other times on its files.
find_program(KONDENSATOR_BSDTAR bsdtar)
add_test(NAME web.site_zip_is_reproducible
  COMMAND ${CMAKE_COMMAND} -DFIRST=${web_build}/kondensator-${PROJECT_VERSION}-site.zip
          -DFOLDER=${PROJECT_BINARY_DIR}/web-again/site -DTOP=kondensator
          -DTIME=${KONDENSATOR_RELEASE_TIME} -DBSDTAR=${KONDENSATOR_BSDTAR} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
          -P ${packaging_tests}/site_zip_again.cmake)
set_tests_properties(web.site_zip_is_reproducible PROPERTIES FIXTURES_REQUIRED web_package)
add_test(NAME web.node.page_logic COMMAND ${KONDENSATOR_NODE} --test ${CMAKE_CURRENT_LIST_DIR}/page_logic.test.cjs)
# Where the web build reads numbers with the C library's strtod: against
# JavaScript's reading, which is correctly rounded too.
add_test(NAME web.build_number_reader COMMAND ${CMAKE_COMMAND} --build ${web_build} --target web_read_number)
set_tests_properties(web.build_number_reader PROPERTIES FIXTURES_SETUP web_read_number)
add_test(NAME web.node.number_reader
  COMMAND ${KONDENSATOR_NODE} ${CMAKE_CURRENT_LIST_DIR}/read_number_test.cjs ${web_build}/web_read_number.js)
set_tests_properties(web.node.number_reader PROPERTIES FIXTURES_REQUIRED web_read_number)
# Each transcript in bokmål, and in nynorsk, as the page's reader may choose.
foreach(input ${transcripts})
  get_filename_component(name ${input} NAME_WE)
  add_test(NAME web.node.transcript.${name}
    COMMAND ${KONDENSATOR_NODE} ${CMAKE_CURRENT_LIST_DIR}/run_transcript.cjs ${web_build}/site
            ${input} ${transcripts_dir}/${name}.out)
  add_test(NAME web.node.nynorsk.${name}
    COMMAND ${KONDENSATOR_NODE} ${CMAKE_CURRENT_LIST_DIR}/run_transcript.cjs ${web_build}/site
            ${input} ${transcripts_dir}/nynorsk/${name}.out nn)
endforeach()

# The browsers: each needs its own programs, and all need the npm packages
# of the project's lock file (npm ci). AUTO leaves out, and names, a browser
# that is missing something; ON insists on all three.
set(KONDENSATOR_BROWSER_TESTS AUTO CACHE STRING "Test the page in Chromium, Firefox and WebKitGTK: AUTO, ON or OFF")
set_property(CACHE KONDENSATOR_BROWSER_TESTS PROPERTY STRINGS AUTO ON OFF)
if(KONDENSATOR_BROWSER_TESTS STREQUAL "OFF")
  return()
endif()
set(web_tests ${CMAKE_CURRENT_LIST_DIR})
# WebKitGTK's browser lies beside its libraries, off the path.
find_program(KONDENSATOR_MINIBROWSER MiniBrowser NO_DEFAULT_PATH PATHS
             /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/webkit2gtk-4.1 /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/webkit2gtk-4.0
             /usr/libexec/webkit2gtk-4.1 /usr/libexec/webkit2gtk-4.0)
set(npm_packages "")
if(NOT EXISTS ${PROJECT_SOURCE_DIR}/node_modules/puppeteer-core/package.json
   OR NOT EXISTS ${PROJECT_SOURCE_DIR}/node_modules/selenium-webdriver/package.json
   OR NOT EXISTS ${PROJECT_SOURCE_DIR}/node_modules/axe-core/axe.min.js)
  set(npm_packages "the npm packages (npm ci)")
endif()

# A browser a row: its name in the tests, the driver's name for it, the
# browser's program, and the other programs it needs.
foreach(row "chromium chrome chromium" "firefox firefox firefox-esr"
            "webkit webkit MiniBrowser WebKitWebDriver xvfb-run")
  separate_arguments(row)
  list(POP_FRONT row browser driver)
  kondensator_find_programs(missing ${row})
  list(PREPEND missing ${npm_packages})
  if(missing)
    kondensator_left_out(KONDENSATOR_BROWSER_TESTS "the page in ${browser}" "${missing}")
    continue()
  endif()
  list(GET row 0 program)
  string(MAKE_C_IDENTIFIER "KONDENSATOR_${program}" program)
  string(TOUPPER ${program} program)
  set(environment KONDENSATOR_BROWSER=${driver} KONDENSATOR_BROWSER_PATH=${${program}} KONDENSATOR_WEB_BUILD=${web_build}
                  KONDENSATOR_TRANSCRIPTS=${transcripts_dir} KONDENSATOR_WEBDRIVER=${KONDENSATOR_WEBKITWEBDRIVER})
  foreach(run transcripts scenarios site)
    set(command ${KONDENSATOR_NODE} --test ${web_tests}/${run}.test.mjs)
    if(browser STREQUAL "webkit")
      list(PREPEND command ${KONDENSATOR_XVFB_RUN} -a)
    endif()
    add_test(NAME web.${browser}.${run} COMMAND ${command})
    set_tests_properties(web.${browser}.${run} PROPERTIES TIMEOUT 600 ENVIRONMENT "${environment}")
  endforeach()
endforeach()
