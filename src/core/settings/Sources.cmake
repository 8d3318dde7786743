# Sources of this feature, added to tramino_core.
target_sources(tramino_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DataFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LangTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PanelSize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StartupSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextEncoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VendaleIni.cpp
)
