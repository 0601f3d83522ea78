# Packs the site FOLDER of a second build again, its files given other times
# on purpose, with the variables of cmake/zip_folder.cmake: it must give the
# first build's zip FIRST, byte for byte.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/same_bytes.cmake)
kondensator_another_time_and_place(${FOLDER})
set(OUTPUT ${FOLDER}-again.zip)
include(${SOURCE_DIR}/cmake/zip_folder.cmake)
kondensator_expect_same_bytes(${FIRST} ${OUTPUT})
file(REMOVE ${OUTPUT})
