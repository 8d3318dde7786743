# What desktops, shells, software centres and Debian look for, each where they look: the desktop
# entry and icons, the MIME types of projects and shows, the AppStream metadata, the manual
# pages, the bash completion, and the documentation Debian's policy asks of every package.
include(${PROJECT_SOURCE_DIR}/cmake/ReleaseNotes.cmake)
set(tramino_generated ${PROJECT_BINARY_DIR}/system-files)
tramino_release_notes(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${tramino_generated}/changelog TRAMINO_APPSTREAM_RELEASES)

# Debian wants manual pages and changelogs compressed at the highest level, without a time
# stamp, so that a rebuild gives the same bytes.
set(tramino_compressed)
function(tramino_gzip source)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${tramino_generated}/${name}.gz
    COMMAND gzip -9nfk ${name}
    WORKING_DIRECTORY ${tramino_generated}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND tramino_compressed ${tramino_generated}/${name}.gz)
  set(tramino_compressed ${tramino_compressed} PARENT_SCOPE)
endfunction()

set(tramino_man_pages tramino-cli.1)
if(TARGET tramino)
  list(APPEND tramino_man_pages tramino.1)
endif()
foreach(page ${tramino_man_pages})
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.in ${tramino_generated}/${page} @ONLY)
  tramino_gzip(${tramino_generated}/${page})
  install(FILES ${tramino_generated}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
tramino_gzip(${tramino_generated}/changelog)
add_custom_target(tramino_system_files ALL DEPENDS ${tramino_compressed})

install(FILES ${PROJECT_SOURCE_DIR}/res/tramino-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tramino-cli)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/copyright ${tramino_generated}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tramino)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tramino)

if(TARGET tramino)
  install(FILES ${PROJECT_SOURCE_DIR}/res/tramino.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The icon is drawn for 64 x 64 and sampled at the other sizes by scripts/make-icon.py.
  install(FILES ${PROJECT_SOURCE_DIR}/res/tramino.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
  foreach(size 16 22 24 32 48 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/res/icons/tramino-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tramino.png)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/res/tramino-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME tramino.xml)
  set(tramino_metainfo ${tramino_generated}/io.github.tramino.Tramino.metainfo.xml)
  configure_file(${PROJECT_SOURCE_DIR}/res/io.github.tramino.Tramino.metainfo.xml.in ${tramino_metainfo} @ONLY)
  install(FILES ${tramino_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The manual page and the completion name every command and option of tramino-cli's --help,
# and nothing else; the manual pages format without a warning.
if(TRAMINO_BUILD_TESTS)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    list(TRANSFORM tramino_man_pages PREPEND ${tramino_generated}/ OUTPUT_VARIABLE tramino_man_paths)
    # The window's page is checked against its --help too, where the window is built; on Windows
    # a window program answers --help in a message box, which nobody would close.
    set(tramino_window_docs "")
    if(TARGET tramino AND NOT WIN32)
      set(tramino_window_docs --window $<TARGET_FILE:tramino> ${tramino_generated}/tramino.1)
    endif()
    add_test(NAME docs.ManualPagesAndCompletionFollowHelp
             COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/check-docs.py $<TARGET_FILE:tramino-cli>
                     ${PROJECT_SOURCE_DIR}/res/tramino-cli.bash ${tramino_man_paths} ${tramino_window_docs})
    set_tests_properties(docs.ManualPagesAndCompletionFollowHelp PROPERTIES LABELS cli)
  endif()
endif()
