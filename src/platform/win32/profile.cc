#include "platform/win32/win32_platform.h"

namespace plv::win32 {

UINT Win32Platform::GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue,
                                          LPCSTR fileName) {
    return ::GetPrivateProfileIntA(section, key, defaultValue, fileName);
}

DWORD Win32Platform::GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                                              LPSTR buffer, DWORD size, LPCSTR fileName) {
    return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}

}  // namespace plv::win32
