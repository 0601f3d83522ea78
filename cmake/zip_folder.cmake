# Packs FOLDER, in the working directory, into the zip OUTPUT: its files in
# the order of their names, each with the time TIME (seconds since 1970), so
# that the same files give the same bytes.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${CMAKE_CURRENT_BINARY_DIR} ${FOLDER}/*)
list(SORT files)
set(ENV{SOURCE_DATE_EPOCH} ${TIME})  # the time string(TIMESTAMP) formats
string(TIMESTAMP time "%Y-%m-%d %H:%M:%S UTC" UTC)
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUTPUT} --format=zip "--mtime=${time}" -- ${files}
                RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "cannot pack ${FOLDER} into ${OUTPUT}")
endif()
