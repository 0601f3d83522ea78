# Takes away what the last `cmake --install` into a prefix wrote there: its
# files, then the folders it created, where they are empty. Nothing outside
# the prefix is touched. Run from the build folder's uninstall.cmake:
#   cmake -DPREFIX="$HOME/.local" -P build/uninstall.cmake
# (without PREFIX, the prefix the build was configured with; DESTDIR as the
# install had it).
include(${CMAKE_CURRENT_LIST_DIR}/install_record.cmake)

if(NOT DEFINED PREFIX)
  set(PREFIX "${KONDENSATOR_DEFAULT_PREFIX}")
endif()
kondensator_install_record("${KONDENSATOR_RECORDS}" "$ENV{DESTDIR}${PREFIX}" record)
set(destination "${record_DESTINATION}")
if(NOT EXISTS "${record}")
  message(FATAL_ERROR "Nothing was installed into ${destination} from this build")
endif()

file(STRINGS "${record}" lines)
set(folders "")
foreach(line ${lines})
  if(line MATCHES "^file (.+)$")
    set(path "${destination}/${CMAKE_MATCH_1}")
    if(IS_SYMLINK "${path}" OR (EXISTS "${path}" AND NOT IS_DIRECTORY "${path}"))
      message(STATUS "Removing ${path}")
      file(REMOVE "${path}")
    endif()
  elseif(line MATCHES "^folder (.+)$")
    list(APPEND folders "${CMAKE_MATCH_1}")
  endif()
endforeach()
# Deepest first, so that a parent is empty once its created children are gone.
list(SORT folders ORDER DESCENDING)
foreach(folder ${folders})
  set(path "${destination}/${folder}")
  file(GLOB children LIST_DIRECTORIES true "${path}/*" "${path}/.*")
  if(IS_DIRECTORY "${path}" AND NOT IS_SYMLINK "${path}" AND children STREQUAL "")
    message(STATUS "Removing ${path}/")
    file(REMOVE_RECURSE "${path}")
  endif()
endforeach()
file(REMOVE "${record}")
