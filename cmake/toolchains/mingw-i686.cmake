# The product: PLVLIB32.DLL for 32-bit Windows. Its test programs run under
# 32-bit Wine on the build machine, through the Wine wrapper, with a Wine
# prefix of their own under the build directory.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PLV_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../wine/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
