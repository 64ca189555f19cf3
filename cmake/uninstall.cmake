# Removes what the last install put in place: every file listed in its manifest (under DESTDIR,
# as the install wrote them), then the folders only Pelx uses (share/pelx, libexec/pelx) once
# they are empty. Shared folders (bin, share/man/man1, ...) stay.
# Run by the `uninstall` target: cmake -DMANIFEST=.../install_manifest.txt -P uninstall.cmake
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} is missing (it is written by an install).")
endif()
file(STRINGS "${MANIFEST}" files)
set(folders "")
foreach(file IN LISTS files)
  set(path "$ENV{DESTDIR}${file}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    file(REMOVE "${path}")
    message(STATUS "Removed ${path}")
  endif()
  # Folders named pelx, and those below them, are ours.
  get_filename_component(folder "${path}" DIRECTORY)
  while(folder MATCHES "/pelx(/|$)")
    list(APPEND folders "${folder}")
    get_filename_component(folder "${folder}" DIRECTORY)
  endwhile()
endforeach()
# Deepest first, so a folder is empty by the time it is looked at.
list(REMOVE_DUPLICATES folders)
list(SORT folders)
list(REVERSE folders)
foreach(folder IN LISTS folders)
  file(GLOB left "${folder}/*")
  if(IS_DIRECTORY "${folder}" AND NOT left)
    file(REMOVE_RECURSE "${folder}")
    message(STATUS "Removed ${folder}/")
  endif()
endforeach()
