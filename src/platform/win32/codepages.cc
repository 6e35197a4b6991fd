#include "platform/win32/win32_platform.h"

namespace plv::win32 {

int Win32Platform::MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte,
                                       int multiByteLength, LPWSTR wide, int wideLength) {
    return ::MultiByteToWideChar(codePage, flags, multiByte, multiByteLength, wide, wideLength);
}

BOOL Win32Platform::OemToCharA(LPCSTR source, LPSTR destination) {
    return ::OemToCharA(source, destination);
}

}  // namespace plv::win32
