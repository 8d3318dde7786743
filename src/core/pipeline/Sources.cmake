# Sources of this feature, added to tramino_core.
target_sources(tramino_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ConversionPool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RepeatedConversion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShowBuilder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShowPictureSource.cpp
)
