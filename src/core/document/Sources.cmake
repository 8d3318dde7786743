# Sources of this feature, added to tramino_core.
target_sources(tramino_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DocumentCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShowDocument.cpp
)
