# The time of the release, in seconds since 1970: SOURCE_DATE_EPOCH where the
# environment sets it, as reproducible builds do, and otherwise the date of the
# top entry of the Debian changelog. The packages and the manual page take
# their dates from it, so that two builds of the same sources at different
# times give the same bytes.

# Sets VARIABLE to the time of the changelog's top entry, whose trailer line
# ends in a date such as "Wed, 09 Dec 2026 05:00:00 +0000", as date(1) reads it.
function(kondensator_changelog_time changelog variable)
  file(STRINGS ${changelog} trailer REGEX "^ -- " LIMIT_COUNT 1)
  if(NOT trailer MATCHES "  ([A-Z][a-z][a-z], [0-9]+ [A-Z][a-z][a-z] [0-9]+ [0-9:]+ [+-][0-9]+)$")
    message(FATAL_ERROR "The top entry of ${changelog} has no date such as 'Wed, 09 Dec 2026 05:00:00 +0000'")
  endif()
  execute_process(COMMAND date -u -d "${CMAKE_MATCH_1}" +%s OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE status)
  if(NOT status STREQUAL "0" OR NOT time MATCHES "^[0-9]+$")
    message(FATAL_ERROR "date cannot read the date of the top entry of ${changelog}: ${CMAKE_MATCH_1}")
  endif()
  set(${variable} ${time} PARENT_SCOPE)
endfunction()

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
  kondensator_changelog_time(${PROJECT_SOURCE_DIR}/packaging/debian/changelog KONDENSATOR_RELEASE_TIME)
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
kondensator_norwegian_month(${KONDENSATOR_RELEASE_TIME} KONDENSATOR_RELEASE_MONTH)
kondensator_format_time(${KONDENSATOR_RELEASE_TIME} "%Y-%m-%d" KONDENSATOR_RELEASE_DAY)
