# Packs the files of FOLDER into the zip OUTPUT, below the folder TOP, in the
# order of their names, with BSDTAR (libarchive-tools). The zip records
# nothing of the files beyond their names and contents: each is a plain file,
# mode 644, owned by root, last modified at TIME (seconds since 1970). So the
# same files give the same bytes, whoever staged them and whenever.
#
# bsdtar takes that description as an mtree; cmake -E tar would record each
# file's own access and change times and its owner, whatever --mtime says.
# The DOS time of an entry is local time: TZ=UTC makes it the same anywhere.
cmake_minimum_required(VERSION 3.20)
foreach(variable FOLDER OUTPUT TOP TIME)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "zip_folder.cmake needs -D${variable}=...")
  endif()
endforeach()
if(NOT BSDTAR)
  message(FATAL_ERROR "The site's zip needs bsdtar (Debian: apt-get install libarchive-tools)")
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${FOLDER} ${FOLDER}/*)
list(SORT files)
set(description "#mtree\n")
foreach(file ${files})
  # Names an mtree can hold without escapes.
  if(NOT file MATCHES "^[A-Za-z0-9._/-]+$")
    message(FATAL_ERROR "${FOLDER}/${file}: a name with characters the zip's description cannot hold")
  endif()
  string(APPEND description
         "${TOP}/${file} type=file mode=0644 uid=0 gid=0 uname=root gname=root time=${TIME} contents=${file}\n")
endforeach()
file(WRITE ${OUTPUT}.mtree "${description}")
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${BSDTAR} --format=zip -cf ${OUTPUT} @${OUTPUT}.mtree
                WORKING_DIRECTORY ${FOLDER} RESULT_VARIABLE status ERROR_VARIABLE errors)
file(REMOVE ${OUTPUT}.mtree)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "cannot pack ${FOLDER} into ${OUTPUT}: ${errors}")
endif()
