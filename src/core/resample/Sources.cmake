# Sources of this feature, added to tramino_core.
target_sources(tramino_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ConvertPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Dither.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FitGeometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MemoryBudget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Orientation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReducePicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RowSink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StreamingReducer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Stretcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WeightTable.cpp
)
# The reduction's inner loops only vectorise at -O3 with GCC.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/StreamingReducer.cpp PROPERTIES COMPILE_OPTIONS -O3)
