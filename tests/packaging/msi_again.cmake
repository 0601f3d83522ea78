# Makes the package FIRST again from the same build, after the files that go
# into it have been given other times, with the variables of cmake/msi.cmake:
# it must have the same bytes.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/same_bytes.cmake)
kondensator_another_time_and_place(${BUILD}/kondensator.exe ${BUILD}/LICENSE.txt ${BUILD}/README.txt)
set(OUTPUT ${FIRST}.again.msi)
include(${SOURCE_DIR}/cmake/msi.cmake)
kondensator_expect_same_bytes(${FIRST} ${OUTPUT})
file(REMOVE ${OUTPUT})
file(REMOVE_RECURSE ${OUTPUT}.files)
