# Sources of this feature, added to tramino_core.
target_sources(tramino_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BmpDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BmpWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ByteSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DecodeMemory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExifOrientation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GifDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureDecoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureRowReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PngDecoder.cpp
)
