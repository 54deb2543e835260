# Cross-builds the Windows programs with mingw-w64 (Debian: g++-mingw-w64-x86-64-posix,
# whose posix threads std::thread needs) and runs what the build makes under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Every program carries its C and C++ runtimes: a user's machine has no
# mingw-w64 DLLs, and Wine must not find the build machine's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
find_program(TORVALE_WINE NAMES wine wine64)
if(TORVALE_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TORVALE_WINE})
endif()
