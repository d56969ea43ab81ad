# libjpeg (libjpeg-turbo) cross-built for mingw by scripts/setup.sh into build/deps/libjpeg-ARCH
# (i686 or x86_64, the target's architecture), as an imported static library:
# `target_link_libraries(x PRIVATE LibJpeg::LibJpeg)`.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ac_libjpeg_arch x86_64)
else()
  set(ac_libjpeg_arch i686)
endif()
set(AC_LIBJPEG_DIR ${PROJECT_SOURCE_DIR}/build/deps/libjpeg-${ac_libjpeg_arch} CACHE PATH
    "Install prefix of the mingw libjpeg build for the target's architecture")
if(NOT TARGET LibJpeg::LibJpeg)
  if(NOT EXISTS ${AC_LIBJPEG_DIR}/lib/libjpeg.a)
    message(FATAL_ERROR
            "libjpeg for ${ac_libjpeg_arch} not found in ${AC_LIBJPEG_DIR}: run scripts/setup.sh")
  endif()
  add_library(LibJpeg::LibJpeg STATIC IMPORTED GLOBAL)
  set_target_properties(LibJpeg::LibJpeg PROPERTIES
    IMPORTED_LOCATION ${AC_LIBJPEG_DIR}/lib/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${AC_LIBJPEG_DIR}/include)
endif()
