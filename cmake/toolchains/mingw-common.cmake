# Cross-compiling for Windows with Debian's MinGW-w64 packages. Included by
# the per-architecture toolchain files once PLV_MINGW_TRIPLET is set.
#
# The -posix compilers are used: the default (win32) thread model lacks
# std::mutex and std::thread. Everything is linked statically, so that the
# library and the test programs import nothing but Windows' own modules.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${PLV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PLV_MINGW_TRIPLET}-windres)
# The binary tools CMake would otherwise guess from the compilers' names,
# which the -posix suffix hides from it.
foreach(tool AR RANLIB NM OBJDUMP DLLTOOL STRIP)
  string(TOLOWER ${tool} tool_name)
  set(CMAKE_${tool} /usr/bin/${PLV_MINGW_TRIPLET}-${tool_name} CACHE FILEPATH "" FORCE)
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${PLV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
