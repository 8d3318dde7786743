# The programs look for Vendale.ini, Lang.txt and BG.bmp in the current directory, then in the
# folder of the running program (/proc/self/exe, which resolves links). Installed, the programs
# and their data live together in one private folder, and bin/ holds links to the programs, so
# that a program started from anywhere finds its data.
set(TRAMINO_INSTALL_APPDIR "${CMAKE_INSTALL_LIBDIR}/tramino")

set(tramino_programs tramino-cli)
if(TARGET tramino)
  list(APPEND tramino_programs tramino)
endif()
install(TARGETS ${tramino_programs} RUNTIME DESTINATION ${TRAMINO_INSTALL_APPDIR})
foreach(data Vendale.ini Lang.txt BG.bmp)
  install(FILES ${PROJECT_SOURCE_DIR}/res/${data} DESTINATION ${TRAMINO_INSTALL_APPDIR})
endforeach()

# Relative links, so that the installed tree can be moved (DESTDIR, a package's staging root).
foreach(program ${tramino_programs})
  install(CODE "
    set(bindir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    set(appdir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TRAMINO_INSTALL_APPDIR}\")
    file(RELATIVE_PATH target \"\${bindir}\" \"\${appdir}/${program}\")
    file(MAKE_DIRECTORY \"\${bindir}\")
    message(STATUS \"Installing: \${bindir}/${program} -> \${target}\")
    file(CREATE_LINK \"\${target}\" \"\${bindir}/${program}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${bindir}/${program}\")")
endforeach()

# Where desktops look for launchers and icons; the icon is drawn 64 x 64.
if(TARGET tramino)
  install(FILES ${PROJECT_SOURCE_DIR}/res/tramino.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/res/tramino.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
endif()

# Debian's policy asks every package for a copyright file in its documentation folder.
install(FILES ${PROJECT_SOURCE_DIR}/cmake/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tramino)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tramino")
set(CPACK_PACKAGE_VENDOR "Tramino")
set(CPACK_PACKAGE_CONTACT "Tramino developers <dev@tramino.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Authoring tool for small colour panel shows (.qrv)")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Collects pictures (BMP, JPEG, GIF) into a show, previews it with one of four transitions on a "
  "panel-sized area, and writes the .qrv file that the panel plays. tramino is the window, "
  "tramino-cli builds, checks and renders shows from the command line.")
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET tramino)
  # Qt loads its platform plugins at run time, where the library scan cannot see them.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  # Without a font with Chinese glyphs the Chinese interface shows empty boxes; the English one
  # needs none, so it is a recommendation.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, qt6-translations-l10n")
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
