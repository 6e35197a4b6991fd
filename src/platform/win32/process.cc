#include "platform/win32/win32_platform.h"

namespace plv::win32 {

DWORD Win32Platform::GetCurrentProcessId() { return ::GetCurrentProcessId(); }

BOOL Win32Platform::GetVersionExA(LPOSVERSIONINFOA info) { return ::GetVersionExA(info); }

DWORD Win32Platform::GetLastError() { return ::GetLastError(); }

void Win32Platform::SetLastError(DWORD error) { ::SetLastError(error); }

}  // namespace plv::win32

namespace plv {

Platform &NativePlatform() {
    static win32::Win32Platform platform;
    return platform;
}

}  // namespace plv
