#include "platform/win32/win32_platform.h"

namespace plv::win32 {

HDC Win32Platform::GetDC(HWND window) { return ::GetDC(window); }

int Win32Platform::ReleaseDC(HWND window, HDC dc) { return ::ReleaseDC(window, dc); }

LRESULT Win32Platform::SendDlgItemMessageA(HWND dialog, int controlId, UINT message,
                                           WPARAM wParam, LPARAM lParam) {
    return ::SendDlgItemMessageA(dialog, controlId, message, wParam, lParam);
}

}  // namespace plv::win32
