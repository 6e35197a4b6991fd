# Writes the module-definition files of a Windows DLL (script mode):
#   NM          the target's nm
#   LIST        the exports list
#   MODULE      the DLL's file name
#   STDCALL     ON where stdcall names are decorated (32-bit Windows)
#   OBJECTS     the library's object files, separated by |
#   LINK_DEF    written: for the linker, each export under its exact name,
#               bound to the symbol that defines it:
#                 InitializePLVLIB = InitializePLVLIB@16
#               and an export marked "decorated" under its decorated name:
#                 _Timer1_Timer@16 = Timer1_Timer@16
#   IMPORT_DEF  written: for dlltool --kill-at, which binds what C hosts call
#               (InitializePLVLIB@16) to the export's name:
#                 InitializePLVLIB@16
#                 Timer1_Timer@16 == _Timer1_Timer@16
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/PlvExports.cmake)
plv_read_exports(${LIST} names decorated)

string(REPLACE "|" ";" objects "${OBJECTS}")
execute_process(COMMAND ${NM} --defined-only --extern-only ${objects}
                OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on the library's objects")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(defined "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]+ [A-Z] (.+)$")
    list(APPEND defined "${CMAKE_MATCH_1}")
  endif()
endforeach()

set(link_lines "")
set(import_lines "")
foreach(name IN LISTS names)
  # Every export is stdcall (PLVAPI): on 32-bit Windows a name without its
  # decoration would be a cdecl function the host calls wrongly.
  if(STDCALL)
    set(pattern "^_${name}@[0-9]+$")
  else()
    set(pattern "^${name}$")
  endif()
  set(found ${defined})
  list(FILTER found INCLUDE REGEX "${pattern}")
  list(REMOVE_DUPLICATES found)
  list(LENGTH found count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "${name} is listed in ${LIST}, but the library defines no "
                        "extern \"C\" PLVAPI function of that name (found: ${found})")
  endif()
  if(STDCALL)
    string(SUBSTRING "${found}" 1 -1 symbol)  # without C's leading underscore
  else()
    set(symbol "${found}")
  endif()

  if(name IN_LIST decorated AND STDCALL)
    list(APPEND link_lines "_${symbol} = ${symbol}")
    list(APPEND import_lines "${symbol} == _${symbol}")
  elseif(symbol STREQUAL name)
    list(APPEND link_lines "${name}")
    list(APPEND import_lines "${name}")
  else()
    list(APPEND link_lines "${name} = ${symbol}")
    list(APPEND import_lines "${symbol}")
  endif()
endforeach()

# Rewritten only when changed, so that an unchanged list relinks nothing.
foreach(kind IN ITEMS link import)
  list(JOIN ${kind}_lines "\n    " body)
  string(TOUPPER ${kind} upper)
  set(output ${${upper}_DEF})
  file(WRITE ${output}.new "LIBRARY \"${MODULE}\"\nEXPORTS\n    ${body}\n")
  configure_file(${output}.new ${output} COPYONLY)
  file(REMOVE ${output}.new)
endforeach()
