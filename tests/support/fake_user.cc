#include "support/fake_platform.h"

namespace plv::testing {

std::vector<std::string> FakePlatform::ListBoxLines() const {
    std::vector<std::string> lines;
    for (const ListBoxMessage &m : host.messages) {
        if (m.message == LB_ADDSTRING) lines.push_back(m.text);
    }
    return lines;
}

HDC FakePlatform::GetDC(HWND window) {
    if (window != host.handle) return nullptr;
    return reinterpret_cast<HDC>(window);
}

int FakePlatform::ReleaseDC(HWND, HDC) { return 1; }

BOOL FakePlatform::GetTextExtentPointA(HDC, LPCSTR, int length, LPSIZE size) {
    constexpr LONG kCharWidth = 7;  // a fixed-width font
    size->cx = kCharWidth * length;
    size->cy = 13;
    return TRUE;
}

LRESULT FakePlatform::SendDlgItemMessageA(HWND dialog, int controlId, UINT message,
                                          WPARAM wParam, LPARAM lParam) {
    if (dialog != host.handle) return 0;
    ListBoxMessage recorded{controlId, message, wParam, {}};
    if (message == LB_ADDSTRING) recorded.text = reinterpret_cast<const char *>(lParam);
    host.messages.push_back(std::move(recorded));
    return 0;
}

}  // namespace plv::testing
