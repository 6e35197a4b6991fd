# The writer of the Windows module-definition files (script mode), run on
# symbol listings as the target's nm prints them:
#   WRITER     cmake/write_module_definitions.cmake
#   WORK_DIR   a directory of its own
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
# Stands in for nm: prints the "objects", which are symbol listings already.
file(WRITE ${WORK_DIR}/nm "#!/bin/sh\nshift 2\nexec cat \"$@\"\n")
file(CHMOD ${WORK_DIR}/nm PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

set(failures "")

# run_writer(<case> <stdcall> <symbols> <list> <result var>)
function(run_writer case stdcall symbols list result_var)
  set(dir ${WORK_DIR}/${case})
  file(MAKE_DIRECTORY ${dir})
  file(WRITE ${dir}/objects.txt "${symbols}")
  file(WRITE ${dir}/list.exports "${list}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DNM=${WORK_DIR}/nm -DLIST=${dir}/list.exports -DMODULE=T.DLL
            -DSTDCALL=${stdcall} -DOBJECTS=${dir}/objects.txt
            -DLINK_DEF=${dir}/link.def -DIMPORT_DEF=${dir}/import.def -P ${WRITER}
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  set(${result_var} ${result} PARENT_SCOPE)
endfunction()

function(expect_file case file expected)
  file(READ ${WORK_DIR}/${case}/${file} actual)
  if(NOT actual STREQUAL expected)
    set(failures "${failures}\n${case}: ${file} is\n${actual}not\n${expected}" PARENT_SCOPE)
  endif()
endfunction()

function(expect_refused case stdcall symbols list)
  run_writer(${case} ${stdcall} "${symbols}" "${list}" result)
  if(result EQUAL 0)
    set(failures "${failures}\n${case}: accepted" PARENT_SCOPE)
  endif()
endfunction()

set(symbols32 "
obj1.o:
00000000 T _Foo@4
00000010 T __ZN3plv7DisplayEPc
00000000 B _core

obj2.o:
00000020 T _Timer1_Timer@16
00000030 T _Bar@8
")
set(list "# exports\nFoo\n\nTimer1_Timer  decorated\nBar\n")

# 32-bit: each name bound to its stdcall symbol; the marked one exported
# under its decorated name.
run_writer(stdcall ON "${symbols32}" "${list}" result)
if(NOT result EQUAL 0)
  list(APPEND failures "stdcall: refused")
else()
  expect_file(stdcall link.def "LIBRARY \"T.DLL\"\nEXPORTS
    Foo = Foo@4
    _Timer1_Timer@16 = Timer1_Timer@16
    Bar = Bar@8\n")
  expect_file(stdcall import.def "LIBRARY \"T.DLL\"\nEXPORTS
    Foo@4
    Timer1_Timer@16 == _Timer1_Timer@16
    Bar@8\n")
endif()

# 64-bit: no decorations exist; every export has its plain name.
run_writer(plain OFF "00000000 T Foo\n00000000 T Timer1_Timer\n00000000 T Bar\n" "${list}" result)
if(NOT result EQUAL 0)
  list(APPEND failures "plain: refused")
else()
  expect_file(plain link.def "LIBRARY \"T.DLL\"\nEXPORTS\n    Foo\n    Timer1_Timer\n    Bar\n")
  expect_file(plain import.def "LIBRARY \"T.DLL\"\nEXPORTS\n    Foo\n    Timer1_Timer\n    Bar\n")
endif()

# A listed name the objects do not define as a stdcall function.
expect_refused(cdecl ON "00000000 T _Foo\n" "Foo\n")
expect_refused(missing ON "00000000 T _Foo@4\n" "Foo\nBar\n")
expect_refused(longer_name ON "00000000 T _FooBar@4\n" "Foo\n")
expect_refused(undefined ON "         U _Foo@4\n" "Foo\n")
# A line the list does not allow.
expect_refused(bad_line ON "00000000 T _Foo@4\n" "Foo bar\n")

if(failures)
  message(FATAL_ERROR "module definitions written wrongly:${failures}")
endif()
message(STATUS "module definitions written as expected")
