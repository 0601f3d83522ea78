# The program as WebAssembly, in one page that works offline: kondensator.html.
#
# emscripten compiles the dialogue with its page entry point into a script
# that holds the WebAssembly itself (SINGLE_FILE). That script, the page's
# own script and its style are then inlined into src/web/kondensator.html;
# emscripten makes no page of its own (its HTML minifier is not packaged).

# emcc runs scripts of its own under node; where node is not Debian's, they
# find Debian's node modules only on NODE_PATH.
set(node_path /usr/share/nodejs)
if(DEFINED ENV{NODE_PATH})
  string(PREPEND node_path "$ENV{NODE_PATH}:")
endif()

# A module of C++ compiled into one script: a function named EXPORT_NAME
# makes it, in the ENVIRONMENT named; further arguments are link options.
function(kondensator_web_module target export_name environment)
  target_link_libraries(${target} PRIVATE kondensator_core)
  target_link_options(${target} PRIVATE -sSINGLE_FILE -sMODULARIZE -sEXPORT_NAME=${export_name}
                      -sENVIRONMENT=${environment} -sFILESYSTEM=0 ${ARGN})
  set_property(TARGET ${target} PROPERTY RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env NODE_PATH=${node_path}")
endfunction()

# The program waits for input with ASYNCIFY: while the page has nothing for
# it, the functions on the call stack are unwound and later rewound. Those are
# the program's own and the stream buffer's; every family of the C and C++
# libraries named in src/web/asyncify_remove.txt never calls back into the
# input, and is left as it was, which keeps the page small.
add_executable(kondensator src/web/main.cpp)
# Linked for size: the single file must stay small enough for a learning
# platform, and the loops, compiled at -O3, run as fast (bench/web_bench.mjs).
kondensator_web_module(kondensator createKondensator worker,node
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sASYNCIFY_REMOVE=@${PROJECT_SOURCE_DIR}/src/web/asyncify_remove.txt -Oz)

# The page, in one file (kondensator.html) and as a folder for web servers
# (site/), made by tools/make_page.mjs from the same sources, under node,
# which runs emscripten anyway. The icons are made from the Windows icon's grid.
find_program(KONDENSATOR_WEB_NODE NAMES node nodejs REQUIRED)
set(icons ${PROJECT_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${icons}/icon.svg ${icons}/icon-192.png ${icons}/icon-512.png ${icons}/icon-maskable.png
  COMMAND ${KONDENSATOR_WEB_NODE} ${PROJECT_SOURCE_DIR}/tools/make_web_icons.mjs
          ${PROJECT_SOURCE_DIR}/src/icon/icon.txt ${icons}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_web_icons.mjs ${PROJECT_SOURCE_DIR}/src/icon/icon.txt VERBATIM)
file(GLOB page_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/web/*.js ${PROJECT_SOURCE_DIR}/src/web/*.html
     ${PROJECT_SOURCE_DIR}/src/web/*.css ${PROJECT_SOURCE_DIR}/src/web/*.json)
set(make_page ${KONDENSATOR_WEB_NODE} ${PROJECT_SOURCE_DIR}/tools/make_page.mjs)
set(page_inputs ${PROJECT_SOURCE_DIR}/src/web $<TARGET_FILE:kondensator> ${PROJECT_VERSION} ${icons})
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/kondensator.html
  COMMAND ${make_page} single ${page_inputs} ${PROJECT_BINARY_DIR}/kondensator.html
  DEPENDS kondensator ${page_sources} ${PROJECT_SOURCE_DIR}/tools/make_page.mjs ${icons}/icon.svg VERBATIM)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/site/index.html
  COMMAND ${make_page} site ${page_inputs} ${PROJECT_BINARY_DIR}/site ${PROJECT_SOURCE_DIR}/src/icon/kondensator.ico
          ${PROJECT_SOURCE_DIR}/doc
  DEPENDS kondensator ${page_sources} ${PROJECT_SOURCE_DIR}/tools/make_page.mjs ${icons}/icon.svg
          ${PROJECT_SOURCE_DIR}/doc/LESMEG.txt.in ${PROJECT_SOURCE_DIR}/doc/LESMEG-nynorsk.txt.in VERBATIM)
add_custom_target(page ALL DEPENDS ${PROJECT_BINARY_DIR}/kondensator.html ${PROJECT_BINARY_DIR}/site/index.html)

# The release, beside the other packages: the page, and the site as a zip,
# every file with the time of the release.
include(${PROJECT_SOURCE_DIR}/cmake/release_date.cmake)
find_program(KONDENSATOR_BSDTAR bsdtar)
# The zip unpacks to a folder without the version, so that each version goes
# to the same address.
add_custom_target(package
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/kondensator.html
          ${PROJECT_BINARY_DIR}/kondensator-${PROJECT_VERSION}.html
  COMMAND ${CMAKE_COMMAND} -DFOLDER=${PROJECT_BINARY_DIR}/site -DTOP=kondensator
          -DOUTPUT=${PROJECT_BINARY_DIR}/kondensator-${PROJECT_VERSION}-site.zip -DTIME=${KONDENSATOR_RELEASE_TIME}
          -DBSDTAR=${KONDENSATOR_BSDTAR} -P ${PROJECT_SOURCE_DIR}/cmake/zip_folder.cmake
  DEPENDS page VERBATIM)

# The discharge loop alone, for bench/web_bench.mjs, and the number reader
# alone, for tests/web/read_number_test.cjs (neither built by default).
add_executable(web_bench EXCLUDE_FROM_ALL bench/web_bench.cpp)
kondensator_web_module(web_bench createWebBench web,node)
add_executable(web_read_number EXCLUDE_FROM_ALL tests/web/read_number.cpp)
kondensator_web_module(web_read_number Module node -sEXPORTED_RUNTIME_METHODS=cwrap)
