# The programs look for Vendale.ini, Lang.txt and BG.bmp in the current directory, then beside
# themselves; installed, they live together in one private folder and bin/ holds links.
set(TRAMINO_INSTALL_APPDIR "${CMAKE_INSTALL_LIBDIR}/tramino")

install(TARGETS tramino-cli RUNTIME DESTINATION ${TRAMINO_INSTALL_APPDIR})
if(TARGET tramino)
  install(TARGETS tramino RUNTIME DESTINATION ${TRAMINO_INSTALL_APPDIR})
endif()
foreach(data Vendale.ini Lang.txt BG.bmp)
  if(EXISTS ${CMAKE_SOURCE_DIR}/res/${data})
    install(FILES ${CMAKE_SOURCE_DIR}/res/${data} DESTINATION ${TRAMINO_INSTALL_APPDIR})
  endif()
endforeach()

foreach(program tramino tramino-cli)
  if(TARGET ${program})
    install(CODE "
      file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
      file(CREATE_LINK \"../${TRAMINO_INSTALL_APPDIR}/${program}\"
           \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\" SYMBOLIC)")
  endif()
endforeach()

if(TARGET tramino)
  if(EXISTS ${CMAKE_SOURCE_DIR}/res/tramino.desktop)
    install(FILES ${CMAKE_SOURCE_DIR}/res/tramino.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  endif()
  if(EXISTS ${CMAKE_SOURCE_DIR}/res/tramino.png)
    install(FILES ${CMAKE_SOURCE_DIR}/res/tramino.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
  endif()
endif()

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tramino")
set(CPACK_PACKAGE_VENDOR "Tramino")
set(CPACK_PACKAGE_CONTACT "Tramino developers <dev@tramino.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Authoring tool for small colour panel shows (.qrv)")
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
