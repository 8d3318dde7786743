# Sources of this feature, added to tramino_core.
target_sources(tramino_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ContactSheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PanelColours.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordCutter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Rgb565.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShowFileReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShowFileSink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShowFileSize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShowFileWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShowRenderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Transition.cpp
)
