# Helpers for testing a cross-compiled build of the program on the transcripts,
# run through an emulator (Wine, qemu-user) on the build machine.

# Builds the program with TOOLCHAIN into BINARY_DIR as the target NAME,
# configured with the toolchain file alone, as the README shows.
function(kondensator_cross_build name toolchain binary_dir)
  include(ExternalProject)
  ExternalProject_Add(${name}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${binary_dir}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/${toolchain} -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
endfunction()

# One test PREFIX.transcript.NAME for each transcript, running PROGRAM through
# LAUNCHER with the environment ENVIRONMENT; LINE_END as run_transcript.cmake
# takes it. Further arguments are test properties.
function(kondensator_cross_transcripts prefix program launcher line_end environment)
  foreach(input ${transcripts})
    get_filename_component(name ${input} NAME_WE)
    add_test(NAME ${prefix}.transcript.${name}
      COMMAND ${CMAKE_COMMAND} -DLAUNCHER=${launcher} -DPROGRAM=${program} -DINPUT=${input}
              -DEXPECTED=${transcripts_dir}/${name}.out -DLINE_END=${line_end} -P ${run_transcript})
    set_tests_properties(${prefix}.transcript.${name} PROPERTIES ENVIRONMENT "${environment}" ${ARGN})
  endforeach()
endfunction()
