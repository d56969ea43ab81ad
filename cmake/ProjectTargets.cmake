# Helpers that give every target of one kind the same build settings.

# Host code that reads outside bytes runs under ASan and UBSan in the unit tests; the same flags
# go on every host library a test links, so the whole process is checked.
function(ac_host_checks target)
  if(NOT CMAKE_CROSSCOMPILING AND AC_SANITIZE)
    set(flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(${target} PRIVATE ${flags})
    target_link_options(${target} PUBLIC ${flags})
  endif()
endfunction()

# A library of ours: static, sanitised on the host.
function(ac_library target)
  add_library(${target} STATIC ${ARGN})
  ac_host_checks(${target})
endfunction()

# A GoogleTest program; on the Windows builds CTest runs it under Wine, and its tests carry the
# label `wine`.
function(ac_gtest target)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${arg_SOURCES})
  target_link_libraries(${target} PRIVATE ${arg_LIBS} GTest::gtest_main GTest::gmock)
  ac_host_checks(${target})
  if(NOT CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
    return()
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS wine)
  # CTest lists the tests by running the program under Wine whenever it reads the test files, also
  # for a run that excludes them by label, and a listing that fails stops the whole run. Where Wine
  # cannot run this build's programs, the environment variable AC_WINE_TESTS=off leaves the
  # program's tests out, so the checks that need no Wine can still run.
  get_property(includes DIRECTORY PROPERTY TEST_INCLUDE_FILES)
  list(POP_BACK includes listing)
  set(guarded ${CMAKE_CURRENT_BINARY_DIR}/${target}_wine_tests.cmake)
  file(WRITE ${guarded}
       "if(NOT \"\$ENV{AC_WINE_TESTS}\" STREQUAL \"off\")\n  include(\"${listing}\")\nendif()\n")
  set_property(DIRECTORY PROPERTY TEST_INCLUDE_FILES ${includes} ${guarded})
endfunction()

# A libFuzzer target (host, clang). CTest replays its seed corpus, if it has one, and then fuzzes
# for a few seconds, so CI exercises every target on every run.
function(ac_fuzzer target)
  cmake_parse_arguments(arg "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(CMAKE_CROSSCOMPILING OR NOT AC_FUZZ)
    return()
  endif()
  add_executable(${target} ${arg_SOURCES})
  target_link_libraries(${target} PRIVATE ${arg_LIBS})
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  ac_host_checks(${target})
  set(corpus_dirs)
  if(arg_CORPUS)
    set(corpus_dirs ${arg_CORPUS})
  endif()
  set(work ${CMAKE_BINARY_DIR}/fuzz/${target})
  add_test(NAME fuzz.${target}
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                   sh -c "mkdir -p ${work} && exec \"$0\" -max_total_time=10 -rss_limit_mb=1024 -timeout=10 ${work} ${corpus_dirs}"
                   $<TARGET_FILE:${target}>)
endfunction()

# The linker writes a map of the program beside it (<target>.map): where each input section and
# each global symbol lies. It leaves the program's bytes as they are.
function(ac_link_map target)
  target_link_options(${target} PRIVATE -Wl,-Map=$<TARGET_FILE_DIR:${target}>/${target}.map)
endfunction()

# What the check of a 32-bit program's instructions (tests/e2e/check_sse.sh) reads beside a
# program shipped without its symbol table: the linker's map, which tells the code in its .text
# from the data that the linker script also puts there, and <target>_symbols, the same link of the
# same objects with the symbol table kept, which names every function, also the local ones that
# the map leaves out (with link-time optimisation, all of our code is one input section). Neither
# changes the program's bytes.
function(ac_instruction_check_files target)
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
  endif()
  ac_link_map(${target})
  # The objects of linked object libraries come first on the program's link line, as here.
  get_target_property(libs ${target} LINK_LIBRARIES)
  set(objects)
  set(libraries)
  foreach(lib IN LISTS libs)
    set(type)
    if(TARGET ${lib})
      get_target_property(type ${lib} TYPE)
    endif()
    if(type STREQUAL "OBJECT_LIBRARY")
      list(APPEND objects $<TARGET_OBJECTS:${lib}>)
    else()
      list(APPEND libraries ${lib})
    endif()
  endforeach()
  get_target_property(win32 ${target} WIN32_EXECUTABLE)
  add_executable(${target}_symbols ${objects} $<TARGET_OBJECTS:${target}>)
  set_target_properties(${target}_symbols PROPERTIES WIN32_EXECUTABLE "$<BOOL:${win32}>")
  target_link_libraries(${target}_symbols PRIVATE ${libraries})
endfunction()
