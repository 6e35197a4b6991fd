#include "platform/win32/win32_platform.h"

namespace plv::win32 {

DWORD Win32Platform::GetCurrentProcessId() { return ::GetCurrentProcessId(); }

BOOL Win32Platform::GetVersionExA(LPOSVERSIONINFOA info) { return ::GetVersionExA(info); }

DWORD Win32Platform::GetLastError() { return ::GetLastError(); }

void Win32Platform::SetLastError(DWORD error) { ::SetLastError(error); }

UINT Win32Platform::SetErrorMode(UINT mode) { return ::SetErrorMode(mode); }

void Win32Platform::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

DWORD Win32Platform::GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    return ::GetEnvironmentVariableA(name, buffer, size);
}

BOOL Win32Platform::CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                                   LPSECURITY_ATTRIBUTES processAttributes,
                                   LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                   DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                                   LPSTARTUPINFOA startupInfo,
                                   LPPROCESS_INFORMATION processInformation) {
    return ::CreateProcessA(applicationName, commandLine, processAttributes, threadAttributes,
                            inheritHandles, creationFlags, environment, currentDirectory,
                            startupInfo, processInformation);
}

}  // namespace plv::win32

namespace plv {

Platform &NativePlatform() {
    static win32::Win32Platform platform;
    return platform;
}

}  // namespace plv
