# The library's exports come from one list, src/plvlib32.exports, and every
# build derives from it what it needs: the Linux version script, the Windows
# module-definition files and import library, the checks of the built library.

# plv_read_exports(<list file> <names var> <decorated var>)
# <names var>: every listed export, as C names it. <decorated var>: those of
# them marked "decorated", which 32-bit Windows exports under their
# stdcall-decorated name (_Name@N) instead of the bare name.
function(plv_read_exports list_file names_var decorated_var)
  file(STRINGS ${list_file} lines)
  set(names "")
  set(decorated "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*(#.*)?$")
      continue()
    elseif(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)[ \t]*$")
      list(APPEND names ${CMAKE_MATCH_1})
    elseif(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)[ \t]+decorated[ \t]*$")
      list(APPEND names ${CMAKE_MATCH_1})
      list(APPEND decorated ${CMAKE_MATCH_1})
    else()
      message(FATAL_ERROR "${list_file}: cannot read the line '${line}'")
    endif()
  endforeach()
  set(${names_var} ${names} PARENT_SCOPE)
  set(${decorated_var} ${decorated} PARENT_SCOPE)
endfunction()

# In script mode only the reader above is wanted.
if(CMAKE_SCRIPT_MODE_FILE)
  return()
endif()

set(PLV_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

# plv_export_listed(<shared library> LIST <list file> OBJECTS <object library>)
# Makes the shared library show exactly the listed exports and nothing else.
function(plv_export_listed target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LIST;OBJECTS" "")
  set(list_file ${CMAKE_CURRENT_SOURCE_DIR}/${arg_LIST})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
  if(WIN32)
    _plv_export_listed_windows(${target} ${list_file} ${arg_OBJECTS})
  else()
    _plv_export_listed_elf(${target} ${list_file})
  endif()
endfunction()

# A version script: the listed names global, everything else local.
function(_plv_export_listed_elf target list_file)
  plv_read_exports(${list_file} names decorated)
  list(JOIN names ";\n    " symbols)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  file(CONFIGURE OUTPUT ${script} CONTENT "{\n  global:\n    ${symbols};\n  local: *;\n};\n")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
  target_link_options(${target} PRIVATE -Wl,--version-script=${script})
endfunction()

# Two module-definition files, written at build time from the list and the
# symbols the object files define (so argument byte counts of stdcall names
# are read, never maintained): one the DLL is linked with, one from which
# dlltool -k makes the import library for C and C++ hosts. The import library
# replaces the one the linker writes, which would bind undecorated names.
function(_plv_export_listed_windows target list_file objects)
  set(link_def ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
  set(import_def ${CMAKE_CURRENT_BINARY_DIR}/${target}-import.def)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(stdcall ON)
  else()
    set(stdcall OFF)
  endif()
  # The export directory names the DLL by its file name.
  get_target_property(module ${target} OUTPUT_NAME)
  get_target_property(suffix ${target} SUFFIX)
  if(NOT module OR NOT suffix)
    message(FATAL_ERROR "${target}: set OUTPUT_NAME and SUFFIX before its exports")
  endif()
  add_custom_command(
    OUTPUT ${link_def} ${import_def}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DLIST=${list_file} -DMODULE=${module}${suffix}
            -DSTDCALL=${stdcall} "-DOBJECTS=$<JOIN:$<TARGET_OBJECTS:${objects}>,|>"
            -DLINK_DEF=${link_def} -DIMPORT_DEF=${import_def}
            -P ${PLV_CMAKE_DIR}/write_module_definitions.cmake
    DEPENDS ${list_file} ${PLV_CMAKE_DIR}/write_module_definitions.cmake
            ${PLV_CMAKE_DIR}/PlvExports.cmake $<TARGET_OBJECTS:${objects}>
    COMMENT "Writing the module definitions of ${module}${suffix}"
    VERBATIM)
  target_sources(${target} PRIVATE ${link_def})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${import_def} --dllname ${module}${suffix}
            --output-lib $<TARGET_LINKER_FILE:${target}>
    VERBATIM)
endfunction()
