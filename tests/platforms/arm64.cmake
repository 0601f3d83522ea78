# The 64-bit ARM build, cross-compiled with Debian's g++-aarch64-linux-gnu and
# run under qemu-user on the same transcripts as the native program.
kondensator_test_option(KONDENSATOR_ARM64_TESTS arm64_tools "the ARM64 build under qemu-user"
                         aarch64-linux-gnu-g++ qemu-aarch64)
if(NOT arm64_tools)
  return()
endif()

set(arm64_build ${PROJECT_BINARY_DIR}/arm64)
kondensator_cross_build(kondensator_arm64 aarch64-linux-gnu.cmake ${arm64_build})
kondensator_cross_transcripts(arm64 ${arm64_build}/kondensator ${KONDENSATOR_QEMU_AARCH64} LF
                              QEMU_LD_PREFIX=/usr/aarch64-linux-gnu)
