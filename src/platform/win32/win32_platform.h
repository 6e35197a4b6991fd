// The Windows implementation of the seam: every call goes straight to the
// real API of the same name; nothing is emulated. It is linked into
// PLVLIB32.DLL itself, so the library imports only Windows' own modules.
#pragma once

#include <string>

#include "platform/platform.h"

namespace plv::win32 {

class Win32Platform final : public Platform {
  public:
    DWORD GetCurrentProcessId() override;
    BOOL GetVersionExA(LPOSVERSIONINFOA info) override;
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;

    HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) override;
    HGLOBAL GlobalFree(HGLOBAL block) override;

    std::int64_t time() override;
    bool localtime(std::int64_t calendarTime, std::tm *local) override;
    std::int64_t mktime(std::tm *local) override;

    HDC GetDC(HWND window) override;
    int ReleaseDC(HWND window, HDC dc) override;
    BOOL GetTextExtentPointA(HDC dc, LPCSTR text, int length, LPSIZE size) override;
    LRESULT SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam,
                                LPARAM lParam) override;
};

// ---- Host side: what a host program needs to own a window ------------
// A top-level window (never shown) with a list box child control of the
// given identifier; null when either cannot be created.
HWND CreateHostWindow(const std::string &title, int listBoxId);
void DestroyHostWindow(HWND window);

}  // namespace plv::win32
