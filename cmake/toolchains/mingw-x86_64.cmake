# 64-bit Windows: the build whose test programs run under Wine on the build
# machine. Every test program is started through the Wine wrapper, with a
# Wine prefix of its own under the build directory.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PLV_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../wine/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
