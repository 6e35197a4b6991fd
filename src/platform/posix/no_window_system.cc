// Top-level windows of other programs in a build without a window system
// (the 32-bit test build): enumeration meets nothing, and every query fails
// as for a window that is gone.
#include "platform/posix/posix_platform.h"
#include "platform/posix/window_notifications.h"

namespace plv::posix {

void AbsorbWindowNotifications() {}

BOOL PosixPlatform::EnumWindows(WNDENUMPROC, LPARAM) { return TRUE; }

HWND PosixPlatform::GetParent(HWND) { return nullptr; }

BOOL PosixPlatform::IsWindow(HWND) { return FALSE; }

BOOL PosixPlatform::IsWindowVisible(HWND) { return FALSE; }

int PosixPlatform::GetWindowTextA(HWND, LPSTR text, int size) {
    if (text != nullptr && size > 0) text[0] = '\0';
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
}

int PosixPlatform::GetClassNameA(HWND, LPSTR name, int size) {
    if (name != nullptr && size > 0) name[0] = '\0';
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
}

DWORD PosixPlatform::GetWindowThreadProcessId(HWND, LPDWORD processId) {
    if (processId != nullptr) *processId = 0;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
}

}  // namespace plv::posix
