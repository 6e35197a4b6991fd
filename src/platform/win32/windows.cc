#include "platform/win32/win32_platform.h"

namespace plv::win32 {

BOOL Win32Platform::EnumWindows(WNDENUMPROC callback, LPARAM parameter) {
    return ::EnumWindows(callback, parameter);
}

HWND Win32Platform::GetParent(HWND window) { return ::GetParent(window); }

BOOL Win32Platform::IsWindow(HWND window) { return ::IsWindow(window); }

BOOL Win32Platform::IsWindowVisible(HWND window) { return ::IsWindowVisible(window); }

int Win32Platform::GetWindowTextA(HWND window, LPSTR text, int size) {
    return ::GetWindowTextA(window, text, size);
}

int Win32Platform::GetClassNameA(HWND window, LPSTR name, int size) {
    return ::GetClassNameA(window, name, size);
}

DWORD Win32Platform::GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    return ::GetWindowThreadProcessId(window, processId);
}

}  // namespace plv::win32
