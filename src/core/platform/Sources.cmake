# One implementation of the platform layer per system; nothing else in the core asks which.
target_sources(tramino_core PRIVATE platform/Utf8Path.cpp)
if(WIN32)
  target_sources(tramino_core PRIVATE platform/WindowsPlatform.cpp platform/StaleTempFilesWindows.cpp
                                      platform/ProjectLockWindows.cpp)
  target_link_libraries(tramino_core PRIVATE shell32)
else()
  target_sources(tramino_core PRIVATE platform/PosixPlatform.cpp platform/StaleTempFilesPosix.cpp
                                      platform/ProjectLockPosix.cpp)
endif()
# Sizes and offsets of files are 64 bits wherever a C library would make them 32.
target_compile_definitions(tramino_core PRIVATE _FILE_OFFSET_BITS=64)
