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

# Its .deb, for Raspberry Pi labs: for arm64, depending on the arm64 packages of
# the libraries it needs, clean as the native one, the same bytes twice, and
# its program, unpacked, runs a session under qemu.
if(KONDENSATOR_DPKG_DEB)
  add_test(NAME package.arm64_deb
    COMMAND ${CMAKE_COMMAND} -DBUILD=${arm64_build} -DGENERATOR=DEB "-DEXPECTED=${deb_contents}"
            "-DLIST=${KONDENSATOR_DPKG_DEB};--contents" "-DFIELD=${KONDENSATOR_DPKG_DEB};--field;Architecture;Depends"
            "-DFIELD_MATCHES=^Architecture: arm64.Depends: libc6 [(]>= [0-9.]+[)], libgcc-s1 [(]>= [0-9.]+[)], libstdc[+][+]6( [(]>= [0-9.]+[)])?$"
            "${lint}" ${desktop_checks} -DLAUNCHER=${KONDENSATOR_QEMU_AARCH64} -DTRANSCRIPT=${transcripts_dir}/typical_session
            -P ${packaging_tests}/package_test.cmake)
  set_tests_properties(package.arm64_deb PROPERTIES ENVIRONMENT QEMU_LD_PREFIX=/usr/aarch64-linux-gnu)
endif()
