# Runs the sfpack program: create (twice, same bytes), list, extract, pack and unpack round
# trips, and the refusals. Called with -DSFPACK=<program> -DWORK=<scratch dir>.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run expect_ok)
  execute_process(COMMAND ${SFPACK} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err WORKING_DIRECTORY ${WORK})
  if(expect_ok AND NOT rc EQUAL 0)
    message(FATAL_ERROR "sfpack ${ARGN} failed (${rc}): ${err}")
  elseif(NOT expect_ok AND rc EQUAL 0)
    message(FATAL_ERROR "sfpack ${ARGN} succeeded but should fail")
  elseif(NOT expect_ok AND NOT err MATCHES "^(sfpack: |usage: sfpack)")
    message(FATAL_ERROR "sfpack ${ARGN}: no error message: '${err}'")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(same a b)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${a} ${WORK}/${b}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${a} and ${b} differ")
  endif()
endfunction()

string(REPEAT "line of text\n" 9000 text)
string(REPEAT "z" 70000 run)
file(WRITE ${WORK}/text.txt "${text}")
file(WRITE ${WORK}/run.bin "${run}")
file(WRITE ${WORK}/empty "")
file(WRITE ${WORK}/damaged.sfp "SFP1zzzzshort")

run(TRUE create a.sfp text.txt run.bin empty)
run(TRUE create b.sfp ${WORK}/text.txt run.bin empty)
same(a.sfp b.sfp)

run(TRUE list a.sfp)
if(NOT out MATCHES "SFP1 form, 3 record"
   OR NOT out MATCHES "text.txt  size 117000  packed [0-9]+  blocks 2 \\(marker 2, table 0\\)"
   OR NOT out MATCHES "run.bin  size 70000  packed [0-9]+  blocks 2"
   OR NOT out MATCHES "empty  size 0  packed 4  blocks 0")
  message(FATAL_ERROR "unexpected listing:\n${out}")
endif()

run(TRUE extract a.sfp out)
same(text.txt out/text.txt)
same(run.bin out/run.bin)
same(empty out/empty)

# NAME=PATH stores a file under another name; a path with "=" before any slash is taken whole.
file(WRITE ${WORK}/a=b "equals in the file name")
run(TRUE create named.sfp quillmoor_full.exe=text.txt ./a=b)
run(TRUE list named.sfp)
if(NOT out MATCHES "SFP1 form, 2 record"
   OR NOT out MATCHES "quillmoor_full.exe  size 117000"
   OR NOT out MATCHES "\na=b  size 23  packed")
  message(FATAL_ERROR "unexpected listing of named.sfp:\n${out}")
endif()
run(TRUE extract named.sfp named)
same(text.txt named/quillmoor_full.exe)
same(a=b named/a=b)
run(FALSE create never.sfp ..=text.txt)
run(FALSE create never.sfp sub:x=text.txt)
run(FALSE create never.sfp name=missing.txt)

run(TRUE pack text.txt text.pk)
run(TRUE unpack text.pk text.back)
same(text.txt text.back)

run(FALSE list missing.sfp)
run(FALSE list damaged.sfp)
run(FALSE extract damaged.sfp out2)
run(FALSE unpack text.txt never)
run(FALSE frobnicate)
