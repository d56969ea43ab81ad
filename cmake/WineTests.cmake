# Windows test programs need Wine to run; their test list is read by running them, so discovery
# goes through the same emulator (wine-run.sh, which takes the 64-bit loader for win64).
if(AC_WINE_BUILD STREQUAL "win64")
  find_program(AC_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
else()
  find_program(AC_WINE wine)
endif()
if(NOT AC_WINE)
  message(WARNING "wine not found: Windows tests will not run")
endif()
