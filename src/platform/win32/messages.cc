#include "platform/win32/win32_platform.h"

namespace plv::win32 {

UINT_PTR Win32Platform::SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    return ::SetTimer(window, id, elapse, procedure);
}

BOOL Win32Platform::KillTimer(HWND window, UINT_PTR id) { return ::KillTimer(window, id); }

BOOL Win32Platform::PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(window, message, wParam, lParam);
}

LRESULT Win32Platform::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(window, message, wParam, lParam);
}

}  // namespace plv::win32
