# Compresses INPUT into OUTPUT with gzip -9n: no name or time stamp in the
# header, so the bytes depend on the contents alone.
execute_process(COMMAND gzip -9n -c INPUT_FILE ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status STREQUAL "0")
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip -9n ${INPUT} failed")
endif()
