# libjpeg (libjpeg-turbo) cross-built for i686 mingw by scripts/setup.sh into build/deps, as an
# imported static library: `target_link_libraries(x PRIVATE LibJpeg::LibJpeg)`.
set(AC_LIBJPEG_DIR ${PROJECT_SOURCE_DIR}/build/deps/libjpeg-i686 CACHE PATH
    "Install prefix of the i686 mingw libjpeg build")
if(NOT TARGET LibJpeg::LibJpeg)
  if(NOT EXISTS ${AC_LIBJPEG_DIR}/lib/libjpeg.a)
    message(FATAL_ERROR "libjpeg for i686 not found in ${AC_LIBJPEG_DIR}: run scripts/setup.sh")
  endif()
  add_library(LibJpeg::LibJpeg STATIC IMPORTED GLOBAL)
  set_target_properties(LibJpeg::LibJpeg PROPERTIES
    IMPORTED_LOCATION ${AC_LIBJPEG_DIR}/lib/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${AC_LIBJPEG_DIR}/include)
endif()
