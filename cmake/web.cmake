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
kondensator_web_module(kondensator createKondensator worker,node
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sASYNCIFY_REMOVE=@${PROJECT_SOURCE_DIR}/src/web/asyncify_remove.txt)

set(page_sources
  ${PROJECT_SOURCE_DIR}/src/web/kondensator.html
  ${PROJECT_SOURCE_DIR}/src/web/kondensator.css
  ${PROJECT_SOURCE_DIR}/src/web/console.js
  ${PROJECT_SOURCE_DIR}/src/web/worker.js)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/kondensator.html
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}/src/web -DPROGRAM=$<TARGET_FILE:kondensator>
          -DOUTPUT=${PROJECT_BINARY_DIR}/kondensator.html -P ${PROJECT_SOURCE_DIR}/cmake/inline_page.cmake
  DEPENDS kondensator ${page_sources} ${PROJECT_SOURCE_DIR}/cmake/inline_page.cmake VERBATIM)
add_custom_target(page ALL DEPENDS ${PROJECT_BINARY_DIR}/kondensator.html)

# The page as released, beside the other packages.
add_custom_target(package
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/kondensator.html
          ${PROJECT_BINARY_DIR}/kondensator-${PROJECT_VERSION}.html
  DEPENDS page VERBATIM)

# The discharge loop alone, for bench/web_bench.mjs, and the number reader
# alone, for tests/web/read_number_test.cjs (neither built by default).
add_executable(web_bench EXCLUDE_FROM_ALL bench/web_bench.cpp)
kondensator_web_module(web_bench createWebBench web,node)
add_executable(web_read_number EXCLUDE_FROM_ALL tests/web/read_number.cpp)
kondensator_web_module(web_read_number Module node -sEXPORTED_RUNTIME_METHODS=cwrap)
