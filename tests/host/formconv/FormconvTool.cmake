# Drives the formconv program as the build does: text -> binary -> text must be stable and
# reproduce the bytes, splicing must find files beside the text form and in -I directories, and
# a failed conversion must exit non-zero, say where, and leave no output file behind.
# Run with: cmake -DFORMCONV=... -DWORK=... -P FormconvTool.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/form ${WORK}/inc)
file(WRITE ${WORK}/form/near.bin "AB")
file(WRITE ${WORK}/inc/far.bin "CD")
file(WRITE ${WORK}/form/form.txt
     "object Form1: TForm1\n  Caption = 'x'#13\n  Data = { 00 @file 'near.bin' @file 'far.bin' }\nend\n")

function(run expect_ok)
  execute_process(COMMAND ${FORMCONV} ${ARGN} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(expect_ok AND NOT rc EQUAL 0)
    message(FATAL_ERROR "formconv ${ARGN} failed: ${err}")
  elseif(NOT expect_ok AND rc EQUAL 0)
    message(FATAL_ERROR "formconv ${ARGN} succeeded but should fail")
  endif()
  set(last_error "${err}" PARENT_SCOPE)
endfunction()

run(TRUE tobinary -I ${WORK}/inc ${WORK}/form/form.txt ${WORK}/a.bin)
run(TRUE totext ${WORK}/a.bin ${WORK}/a.txt)
run(TRUE tobinary ${WORK}/a.txt ${WORK}/b.bin)
run(TRUE totext ${WORK}/b.bin ${WORK}/b.txt)
file(READ ${WORK}/a.bin a_hex HEX)
file(READ ${WORK}/b.bin b_hex HEX)
file(READ ${WORK}/a.txt a_text)
file(READ ${WORK}/b.txt b_text)
if(NOT a_hex STREQUAL b_hex OR NOT a_text STREQUAL b_text)
  message(FATAL_ERROR "round trip differs:\n${a_text}\n${b_text}")
endif()
string(FIND "${a_text}" "Data = {\n    0041424344}" spliced)
if(spliced EQUAL -1)
  message(FATAL_ERROR "spliced bytes missing:\n${a_text}")
endif()

# Without -I the second file is not found.
run(FALSE tobinary ${WORK}/form/form.txt ${WORK}/c.bin)
if(NOT last_error MATCHES "line 3, column 32: @file 'far.bin': no such file")
  message(FATAL_ERROR "unexpected message: ${last_error}")
endif()
# A truncated binary form is refused with its offset.
file(READ ${WORK}/a.bin whole HEX)
string(SUBSTRING "${whole}" 0 40 cut)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" cut_escaped "${cut}")
execute_process(COMMAND sh -c "printf '${cut_escaped}' > ${WORK}/cut.bin")
run(FALSE totext ${WORK}/cut.bin ${WORK}/c.txt)
if(NOT last_error MATCHES "offset [0-9]+: ")
  message(FATAL_ERROR "unexpected message: ${last_error}")
endif()
if(EXISTS ${WORK}/c.bin OR EXISTS ${WORK}/c.txt OR EXISTS ${WORK}/c.bin.partial
   OR EXISTS ${WORK}/c.txt.partial)
  message(FATAL_ERROR "a failed conversion left a file behind")
endif()
run(FALSE frobnicate ${WORK}/a.bin ${WORK}/c.txt)
file(REMOVE_RECURSE ${WORK})
