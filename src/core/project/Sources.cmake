# Sources of this feature, added to tramino_core.
find_package(nlohmann_json 3.10 REQUIRED)

target_sources(tramino_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PictureValues.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Project.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProjectFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProjectJson.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProjectLock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProjectSave.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShowPictureName.cpp
)
target_link_libraries(tramino_core PRIVATE nlohmann_json::nlohmann_json)
