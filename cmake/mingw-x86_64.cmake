# Cross toolchain: 64-bit Windows programs (the test build for machines that run no 32-bit
# programs) with mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(tool_prefix x86_64-w64-mingw32)
set(AC_WINE_BUILD win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
