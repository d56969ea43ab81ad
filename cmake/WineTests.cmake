# Windows test programs need Wine to run; their test list is read by running them, so discovery
# goes through the same emulator.
find_program(AC_WINE wine)
if(NOT AC_WINE)
  message(WARNING "wine not found: Windows tests will not run")
endif()
