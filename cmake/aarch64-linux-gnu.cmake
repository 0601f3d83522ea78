# Cross-compiles for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu:
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
# On another machine the program runs under qemu-user:
#   qemu-aarch64 -L /usr/aarch64-linux-gnu build-arm64/kondensator
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(KONDENSATOR_ARM64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${KONDENSATOR_ARM64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${KONDENSATOR_ARM64_TRIPLE}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${KONDENSATOR_ARM64_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/${KONDENSATOR_ARM64_TRIPLE})

# The .deb is for arm64, and dpkg-shlibdeps finds the libraries the program
# needs where the cross compiler has them (see cpack_project_config.cmake.in).
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
set(KONDENSATOR_DEB_LIBRARY_DIR /usr/${KONDENSATOR_ARM64_TRIPLE}/lib)
