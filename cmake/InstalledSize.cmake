# Run by CPack after it made the Debian package (CPACK_POST_BUILD_SCRIPTS). CPack's
# Installed-Size counts each link as the file it points to and each folder as a disk block,
# which made the package claim far more than it takes. This puts dpkg's own estimate in its
# place (every regular file rounded up to a KiB, one KiB for every other entry) and builds the
# package again with dpkg-deb, which keeps its files, modes and control data as they were.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb --raw-extract "${deb}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true "${tree}/*")
  # The root folder is an entry too.
  set(nKiB 1)
  foreach(entry IN LISTS entries)
    if(entry MATCHES "^${tree}/DEBIAN(/|$)")
      continue()
    endif()
    if(IS_SYMLINK "${entry}" OR IS_DIRECTORY "${entry}")
      math(EXPR nKiB "${nKiB} + 1")
    else()
      file(SIZE "${entry}" nBytes)
      math(EXPR nKiB "${nKiB} + (${nBytes} + 1023) / 1024")
    endif()
  endforeach()
  file(READ "${tree}/DEBIAN/control" strControl)
  string(REGEX REPLACE "Installed-Size: [0-9]+" "Installed-Size: ${nKiB}" strControl "${strControl}")
  file(WRITE "${tree}/DEBIAN/control" "${strControl}")
  execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build "${tree}" "${deb}"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
