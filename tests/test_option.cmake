# Tests that need tools beyond the compiler and GoogleTest.

# Declares the cache option VARIABLE (AUTO, ON or OFF) and sets FOUND_VARIABLE
# to whether every program named after WHAT is found. AUTO leaves the tests out, and
# says so, where one is missing; ON insists on them.
function(kondensator_test_option variable found_variable what)
  set(${variable} AUTO CACHE STRING "Test ${what}: AUTO, ON or OFF")
  set_property(CACHE ${variable} PROPERTY STRINGS AUTO ON OFF)
  set(${found_variable} FALSE PARENT_SCOPE)
  if(${variable} STREQUAL "OFF" OR CMAKE_CROSSCOMPILING)
    return()
  endif()
  kondensator_find_programs(missing ${ARGN})
  if(missing)
    kondensator_left_out(${variable} "${what}" "${missing}")
    return()
  endif()
  set(${found_variable} TRUE PARENT_SCOPE)
endfunction()

# Sets MISSING_VARIABLE to the programs among the further arguments that are
# not found; each found one is in the cache variable KONDENSATOR_<NAME>.
function(kondensator_find_programs missing_variable)
  set(missing "")
  foreach(program ${ARGN})
    string(MAKE_C_IDENTIFIER "KONDENSATOR_${program}" cache_name)
    string(TOUPPER ${cache_name} cache_name)
    find_program(${cache_name} ${program})
    if(NOT ${cache_name})
      list(APPEND missing ${program})
    endif()
  endforeach()
  set(${missing_variable} "${missing}" PARENT_SCOPE)
endfunction()

# Says that WHAT is left out for want of MISSING, or, where the option
# VARIABLE is ON, stops.
function(kondensator_left_out variable what missing)
  string(REPLACE ";" ", " missing "${missing}")
  set(why "${what} is left out: ${missing} not installed")
  if(${variable} STREQUAL "ON")
    message(FATAL_ERROR "${variable} is ON, but ${why}")
  endif()
  message(STATUS "Note: ${why}")
endfunction()
