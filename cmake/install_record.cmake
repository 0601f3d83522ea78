# What one `cmake --install` wrote into its prefix, kept in the build folder
# so that the uninstall can take away exactly that. cpack and the package
# tests install too, into prefixes of their own: each prefix has its own
# record, and only the last install into a prefix counts for it. CMake's own
# install_manifest.txt would not do: every cpack run writes it over with the
# files of its own staging folder, and it names no folder an install created.
#
# A record holds a line "folder PATH" for each folder the install created and
# a line "file PATH" for each file it wrote, PATH relative to the prefix.

# Sets VARIABLE to PATH made absolute and normal, without a slash at its end.
function(kondensator_normal_path path variable)
  get_filename_component(path "${path}" ABSOLUTE)
  cmake_path(NORMAL_PATH path)
  string(REGEX REPLACE "(.)/$" "\\1" path "${path}")
  set(${variable} "${path}" PARENT_SCOPE)
endfunction()

# Sets VARIABLE to the record in RECORDS of the install into DESTINATION
# (DESTDIR and prefix together), and VARIABLE_DESTINATION to that, normal.
function(kondensator_install_record records destination variable)
  kondensator_normal_path("${destination}" destination)
  string(MD5 key "${destination}")
  set(${variable} "${records}/${key}.txt" PARENT_SCOPE)
  set(${variable}_DESTINATION "${destination}" PARENT_SCOPE)
endfunction()

# At the start of an install: notes which of the folders FOLDERS (relative to
# the prefix) and their parents do not exist yet.
function(kondensator_install_started folders)
  set(destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  set(created "")
  foreach(folder ${folders})
    while(NOT folder STREQUAL "" AND NOT folder STREQUAL ".")
      if(NOT IS_DIRECTORY "${destination}/${folder}")
        list(APPEND created "${folder}")
      endif()
      get_filename_component(folder "${folder}" DIRECTORY)
    endwhile()
  endforeach()
  list(REMOVE_DUPLICATES created)
  set(KONDENSATOR_CREATED_FOLDERS "${created}" PARENT_SCOPE)
endfunction()

# At the end: writes the record of the files this install wrote (the
# install's own manifest, which names them without DESTDIR) and the folders
# it created into RECORDS.
function(kondensator_install_finished records)
  kondensator_install_record("${records}" "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}" record)
  kondensator_normal_path("${CMAKE_INSTALL_PREFIX}" prefix)
  string(LENGTH "${prefix}/" length)
  set(lines "")
  foreach(folder ${KONDENSATOR_CREATED_FOLDERS})
    string(APPEND lines "folder ${folder}\n")
  endforeach()
  foreach(file ${CMAKE_INSTALL_MANIFEST_FILES})
    cmake_path(NORMAL_PATH file)
    string(SUBSTRING "${file}" 0 ${length} start)
    string(SUBSTRING "${file}" ${length} -1 relative)
    if(NOT start STREQUAL "${prefix}/" OR relative MATCHES "(^|/)\\.\\.(/|$)")
      message(FATAL_ERROR "${file} lies outside the prefix ${prefix}")
    endif()
    string(APPEND lines "file ${relative}\n")
  endforeach()
  file(WRITE "${record}" "${lines}")
endfunction()
