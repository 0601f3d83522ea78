# The time of the release, in seconds since 1970: SOURCE_DATE_EPOCH where the
# environment sets it, as reproducible builds do, and otherwise the time of the
# top entry of the Debian changelog, as dpkg-parsechangelog reads it. The
# packages and the manual page take their dates from it, so that two builds
# of the same sources at different times give the same bytes.

# Sets VARIABLE to TIME formatted in UTC by string(TIMESTAMP)'s FORMAT.
function(kondensator_format_time time format variable)
  # string(TIMESTAMP) formats the time SOURCE_DATE_EPOCH gives.
  set(saved "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${time})
  string(TIMESTAMP formatted "${format}" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${saved}")
  if(saved STREQUAL "")
    unset(ENV{SOURCE_DATE_EPOCH})
  endif()
  set(${variable} "${formatted}" PARENT_SCOPE)
endfunction()

# Sets VARIABLE to the month and year of TIME in Norwegian, as "desember 2026".
function(kondensator_norwegian_month time variable)
  kondensator_format_time(${time} "%m" month)
  kondensator_format_time(${time} "%Y" year)
  set(names januar februar mars april mai juni juli august september oktober november desember)
  string(REGEX REPLACE "^0" "" month "${month}")
  math(EXPR month "${month} - 1")
  list(GET names ${month} name)
  set(${variable} "${name} ${year}" PARENT_SCOPE)
endfunction()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(KONDENSATOR_RELEASE_TIME $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND dpkg-parsechangelog -l ${KONDENSATOR_CHANGELOG} -STimestamp
                  OUTPUT_VARIABLE KONDENSATOR_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status STREQUAL "0" OR NOT KONDENSATOR_RELEASE_TIME MATCHES "^[0-9]+$")
    message(FATAL_ERROR "dpkg-parsechangelog (Debian: apt-get install dpkg-dev) reads the release time from "
                        "${KONDENSATOR_CHANGELOG}; it could not (${status}). Or set SOURCE_DATE_EPOCH.")
  endif()
endif()
kondensator_norwegian_month(${KONDENSATOR_RELEASE_TIME} KONDENSATOR_RELEASE_MONTH)
kondensator_format_time(${KONDENSATOR_RELEASE_TIME} "%Y-%m-%d" KONDENSATOR_RELEASE_DAY)
