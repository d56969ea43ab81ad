# The library's extra cursors as resources: include(<source root>/launcher/pictures/Cursors.cmake)
# in a program's CMake folder, `#include "launcher/pictures/cursors.rc"` in its .rc file (the
# source root is on the include path), and add ${AC_CURSOR_FILES} to the .rc file's
# OBJECT_DEPENDS so a redrawn cursor rebuilds the program.
set(AC_CURSOR_RC ${PROJECT_SOURCE_DIR}/launcher/pictures/cursors.rc)
file(GLOB AC_CURSOR_FILES ${PROJECT_SOURCE_DIR}/launcher/pictures/cursors/*.cur)
list(SORT AC_CURSOR_FILES)
list(PREPEND AC_CURSOR_FILES ${AC_CURSOR_RC})
