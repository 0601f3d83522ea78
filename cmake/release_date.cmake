# The time of the release, in seconds since 1970: SOURCE_DATE_EPOCH where the
# environment sets it, as reproducible builds do, and otherwise the date of the
# top entry of the Debian changelog. The packages and the manual page take
# their dates from it, so that two builds of the same sources at different
# times give the same bytes.

# Sets VARIABLE to the time of the changelog's top entry, whose trailer line
# ends in a date such as "Wed, 09 Dec 2026 05:00:00 +0000".
function(kondensator_changelog_time changelog variable)
  file(STRINGS ${changelog} trailer REGEX "^ -- " LIMIT_COUNT 1)
  if(NOT trailer MATCHES "  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ([0-9]+):([0-9]+):([0-9]+) ([+-])([0-9][0-9])([0-9][0-9])$")
    message(FATAL_ERROR "The top entry of ${changelog} has no date such as 'Wed, 09 Dec 2026 05:00:00 +0000'")
  endif()
  set(month_name ${CMAKE_MATCH_2})
  set(sign ${CMAKE_MATCH_7})
  set(numbers ${CMAKE_MATCH_1} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4} ${CMAKE_MATCH_5} ${CMAKE_MATCH_6} ${CMAKE_MATCH_8}
              ${CMAKE_MATCH_9})
  # The numbers without leading zeros, which math() would read as octal.
  foreach(name day year hour minute second offset_hours offset_minutes)
    list(POP_FRONT numbers number)
    string(REGEX REPLACE "^0+([0-9])" "\\1" ${name} "${number}")
  endforeach()
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months ${month_name} month)
  if(month EQUAL -1)
    message(FATAL_ERROR "The top entry of ${changelog} names no month")
  endif()
  # Days since 1970-01-01 in the proleptic Gregorian calendar, with the year
  # counted from March so that the leap day comes last.
  if(month LESS 2)
    math(EXPR year "${year} - 1")
    math(EXPR month_from_march "${month} + 10")
  else()
    math(EXPR month_from_march "${month} - 2")
  endif()
  math(EXPR era "${year} / 400")
  math(EXPR year_of_era "${year} - ${era} * 400")
  math(EXPR day_of_year "(153 * ${month_from_march} + 2) / 5 + ${day} - 1")
  math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
  math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
  math(EXPR time "${days} * 86400 + ${hour} * 3600 + ${minute} * 60 + ${second} - ${sign}1 * (${offset_hours} * 3600 + ${offset_minutes} * 60)")
  set(${variable} ${time} PARENT_SCOPE)
endfunction()

# Sets VARIABLE to the month and year of TIME in Norwegian, as "desember 2026".
function(kondensator_norwegian_month time variable)
  # string(TIMESTAMP) formats the time SOURCE_DATE_EPOCH gives.
  set(saved "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${time})
  string(TIMESTAMP month "%m" UTC)
  string(TIMESTAMP year "%Y" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${saved}")
  if(saved STREQUAL "")
    unset(ENV{SOURCE_DATE_EPOCH})
  endif()
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
