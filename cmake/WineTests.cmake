# Windows test programs need Wine to run; their test list is read by running them, so discovery
# goes through the same emulator (wine-run.sh): the native 64-bit loader for win64, the emulated
# 32-bit Wine that scripts/setup.sh makes in build/wine32 for win32.
if(AC_WINE_BUILD STREQUAL "win64")
  set(wine_loader /usr/lib/wine/wine64)
else()
  set(wine_loader ${PROJECT_SOURCE_DIR}/build/wine32/wine)
endif()
if(NOT EXISTS ${wine_loader})
  message(WARNING "${wine_loader} not found (scripts/setup.sh makes it): Windows tests will not run")
endif()
