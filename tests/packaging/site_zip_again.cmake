# Packs the site FOLDER of a second build again, a copy of its files given
# other times on purpose, with the variables of cmake/zip_folder.cmake: it
# must give the first build's zip FIRST, byte for byte. The build's own files
# keep their times (see kondensator_other_times).
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/same_bytes.cmake)
set(copy ${FOLDER}-again)
file(REMOVE_RECURSE ${copy})
file(COPY ${FOLDER}/ DESTINATION ${copy})
kondensator_another_time_and_place(${copy})
set(FOLDER ${copy})
set(OUTPUT ${copy}.zip)
include(${SOURCE_DIR}/cmake/zip_folder.cmake)
kondensator_expect_same_bytes(${FIRST} ${OUTPUT})
file(REMOVE ${OUTPUT})
file(REMOVE_RECURSE ${copy})
