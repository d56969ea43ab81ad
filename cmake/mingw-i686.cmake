# Cross toolchain: 32-bit Windows programs (the shipped build) with mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(tool_prefix i686-w64-mingw32)
set(AC_WINE_BUILD win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
