// Windows of the host program, kept in process. A window handle is a small
// number in a table, so a stale or foreign handle is recognised, never
// dereferenced.
#include <cstring>
#include <map>
#include <vector>

#include "platform/posix/host_windows.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

struct ListBox {
    std::vector<std::string> items;
    LONG horizontalExtent = 0;
    ListBoxListener listener;
};

struct Window {
    std::string title;
    std::map<int, ListBox> controls;
    WindowProcedure procedure;
};

constexpr std::uintptr_t kFirstHandle = 0x10010;
constexpr std::uintptr_t kHandleStep = 4;

std::map<std::uintptr_t, Window> &Windows() {
    static std::map<std::uintptr_t, Window> windows;
    return windows;
}

std::uintptr_t &NextHandle() {
    static std::uintptr_t next = kFirstHandle;
    return next;
}

Window *FindWindow(HWND handle) {
    auto found = Windows().find(reinterpret_cast<std::uintptr_t>(handle));
    return found == Windows().end() ? nullptr : &found->second;
}

LRESULT ListBoxMessage(ListBox &box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case LB_ADDSTRING: {
        const char *text = reinterpret_cast<const char *>(lParam);
        box.items.emplace_back(text ? text : "");
        if (box.listener) box.listener(box.items.back());
        return static_cast<LRESULT>(box.items.size() - 1);
    }
    case LB_SETHORIZONTALEXTENT:
        box.horizontalExtent = static_cast<LONG>(wParam);
        return 0;
    case LB_GETCOUNT:
        return static_cast<LRESULT>(box.items.size());
    case LB_GETTEXTLEN:
        if (wParam >= box.items.size()) return LB_ERR;
        return static_cast<LRESULT>(box.items[wParam].size());
    case LB_GETTEXT: {
        if (wParam >= box.items.size()) return LB_ERR;
        const std::string &item = box.items[wParam];
        std::memcpy(reinterpret_cast<char *>(lParam), item.c_str(), item.size() + 1);
        return static_cast<LRESULT>(item.size());
    }
    default:
        return 0;
    }
}

}  // namespace

HWND CreateHostWindow(const std::string &title, int listBoxId, ListBoxListener listener) {
    const std::uintptr_t handle = NextHandle();
    NextHandle() += kHandleStep;
    Window &window = Windows()[handle];
    window.title = title;
    window.controls[listBoxId].listener = std::move(listener);
    return reinterpret_cast<HWND>(handle);
}

void DestroyHostWindow(HWND window) {
    ForgetWindowTimers(window);
    Windows().erase(reinterpret_cast<std::uintptr_t>(window));
}

void SetWindowProcedure(HWND window, WindowProcedure procedure) {
    if (Window *found = FindWindow(window)) found->procedure = std::move(procedure);
}

bool IsHostWindow(HWND window) { return FindWindow(window) != nullptr; }

LRESULT CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *found = FindWindow(window);
    if (found == nullptr || !found->procedure) return 0;
    // A copy: the procedure may replace itself or destroy its window.
    const WindowProcedure procedure = found->procedure;
    return procedure(window, message, wParam, lParam);
}

// The device context of a window is the window's own handle: drawing is
// measured, never rendered.
HDC PosixPlatform::GetDC(HWND window) {
    if (FindWindow(window) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return reinterpret_cast<HDC>(window);
}

int PosixPlatform::ReleaseDC(HWND window, HDC dc) {
    return (FindWindow(window) != nullptr && dc == reinterpret_cast<HDC>(window)) ? 1 : 0;
}

LRESULT PosixPlatform::SendDlgItemMessageA(HWND dialog, int controlId, UINT message,
                                           WPARAM wParam, LPARAM lParam) {
    Window *window = FindWindow(dialog);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto control = window->controls.find(controlId);
    if (control == window->controls.end()) return 0;
    return ListBoxMessage(control->second, message, wParam, lParam);
}

}  // namespace plv::posix
