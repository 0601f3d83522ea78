# The hardening a Debian build uses, for Release builds on Linux: position
# independent code, stack protector, fortified C library calls, and a read-only
# relocation table bound at start-up.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  return()
endif()
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(release "$<CONFIG:Release>")
add_compile_options("$<${release}:-fstack-protector-strong>" "$<${release}:-U_FORTIFY_SOURCE>"
                    "$<${release}:-D_FORTIFY_SOURCE=2>")
add_link_options("$<${release}:LINKER:-z,relro,-z,now>")
