# The product: PLVLIB32.DLL for 32-bit Windows. Its programs cannot run on
# the build machine, so no emulator is set and only the built files are
# checked.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PLV_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
