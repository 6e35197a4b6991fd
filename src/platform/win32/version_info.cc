#include "platform/win32/win32_platform.h"

namespace plv::win32 {

DWORD Win32Platform::GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
    return ::GetFileVersionInfoSizeA(fileName, handle);
}

BOOL Win32Platform::GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD length, LPVOID data) {
    return ::GetFileVersionInfoA(fileName, handle, length, data);
}

BOOL Win32Platform::VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer, PUINT length) {
    return ::VerQueryValueA(block, subBlock, buffer, length);
}

DWORD Win32Platform::VerLanguageNameA(DWORD language, LPSTR name, DWORD size) {
    return ::VerLanguageNameA(language, name, size);
}

}  // namespace plv::win32
