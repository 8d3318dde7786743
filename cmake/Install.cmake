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

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tramino")
set(CPACK_PACKAGE_VENDOR "Tramino")
set(CPACK_PACKAGE_CONTACT "Tramino developers <dev@tramino.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Authoring tool for small colour panel shows (.qrv)")
# Debian wants the lines of the long description within 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Collects pictures (BMP, JPEG, GIF, PNG) into a show for a display device with a\n"
  "small colour panel, previews it with one of four transitions on a panel-sized\n"
  "area, and writes the .qrv file that the panel plays. tramino is the window;\n"
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
if(UNIX)
  include(${PROJECT_SOURCE_DIR}/cmake/SystemFiles.cmake)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
# CPack's staging install of the rules without a component (all of ours) records its files in
# install_manifest_Unspecified.txt, so that install_manifest.txt keeps listing what
# "cmake --install" put on the machine, which is what undoing that install needs.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
set(CPACK_POST_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/InstalledSize.cmake")
include(CPack)
