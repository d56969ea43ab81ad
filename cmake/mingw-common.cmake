# The part of the mingw-w64 cross toolchains that both targets share; the including file sets
# CMAKE_SYSTEM_PROCESSOR, tool_prefix and AC_WINE_BUILD first. The posix threads flavour of the
# compilers is used (the shipped programs link the win32 flavour's runtime, see
# launcher/CMakeLists.txt); programs are linked static.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${tool_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tool_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${tool_prefix}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)
set(CMAKE_FIND_ROOT_PATH /usr/${tool_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs built here run under Wine, with the loader and the prefix of this build (see
# wine-run.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${AC_WINE_BUILD})
