# Cross-building for 64-bit Windows with Debian's mingw-w64 (the POSIX-threads variant, which
# std::thread needs). Libraries are looked up only under CMAKE_PREFIX_PATH and the mingw root, never
# among the build machine's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(TRAMINO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRAMINO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRAMINO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TRAMINO_MINGW_TRIPLE}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

set(CMAKE_FIND_ROOT_PATH /usr/${TRAMINO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs under test run through wine (ctest, gtest_discover_tests).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

# The folders of the cross-built libraries (scripts/build-windows.sh passes them).
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TRAMINO_WINDOWS_PREFIXES)
list(APPEND CMAKE_FIND_ROOT_PATH ${TRAMINO_WINDOWS_PREFIXES})

# One executable with nothing beside it: the mingw runtime is linked in, and zlib too (wine has a
# zlib1.dll of its own, so only a real Windows would miss Debian's).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(ZLIB_USE_STATIC_LIBS ON)
