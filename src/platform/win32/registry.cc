#include "platform/win32/win32_platform.h"

namespace plv::win32 {

LSTATUS Win32Platform::RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                                     PHKEY result) {
    return ::RegOpenKeyExA(key, subKey, options, access, result);
}

LSTATUS Win32Platform::RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                                       DWORD options, REGSAM access,
                                       const LPSECURITY_ATTRIBUTES security, PHKEY result,
                                       LPDWORD disposition) {
    return ::RegCreateKeyExA(key, subKey, reserved, keyClass, options, access, security, result,
                             disposition);
}

LSTATUS Win32Platform::RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                        LPBYTE data, LPDWORD dataSize) {
    return ::RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
}

LSTATUS Win32Platform::RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                                      const BYTE *data, DWORD dataSize) {
    return ::RegSetValueExA(key, valueName, reserved, type, data, dataSize);
}

LSTATUS Win32Platform::RegCloseKey(HKEY key) { return ::RegCloseKey(key); }

}  // namespace plv::win32
