// Top-level windows of other programs, from the X server named by DISPLAY.
// A window handle carries the X window id. Without a server there are no
// windows, and every query fails as for a window that is gone.
//
// An enumeration delivers the windows the cache of x11_window_cache.h knows,
// made current when it starts, and answers the calls its callback makes from
// them; other calls ask the server, one round trip each. The thread of a
// window is its process's main thread, whose id on Linux is the process id.
#include "platform/posix/x11_windows.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/posix/posix_platform.h"
#include "platform/posix/window_notifications.h"
#include "platform/posix/x11_window_cache.h"

namespace plv::posix {
namespace {

// The windows of the innermost enumeration in progress, and the one it
// delivered last, which its callback asks about nearly always.
struct Enumeration {
    const std::vector<x11::TopLevelWindow> *windows = nullptr;
    std::size_t delivered = 0;
};

Enumeration *innermost = nullptr;

class EnumerationScope {
  public:
    explicit EnumerationScope(Enumeration &enumeration) : outer_(innermost) {
        innermost = &enumeration;
    }
    ~EnumerationScope() { innermost = outer_; }
    EnumerationScope(const EnumerationScope &) = delete;
    EnumerationScope &operator=(const EnumerationScope &) = delete;

  private:
    Enumeration *outer_;
};

HWND HandleOf(xcb_window_t window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

std::optional<xcb_window_t> WindowOf(HWND handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value == 0 || value > UINT32_MAX) return std::nullopt;
    return static_cast<xcb_window_t>(value);
}

const x11::SharedFacts *FactsDuringEnumeration(xcb_window_t window) {
    if (innermost == nullptr) return nullptr;
    const auto &windows = *innermost->windows;
    if (innermost->delivered < windows.size() && windows[innermost->delivered].window == window)
        return &windows[innermost->delivered].facts;
    const auto found =
        std::find_if(windows.begin(), windows.end(),
                     [window](const x11::TopLevelWindow &w) { return w.window == window; });
    return found != windows.end() ? &found->facts : nullptr;
}

// Null for a handle that names no window.
x11::SharedFacts FactsOf(HWND handle) {
    const auto window = WindowOf(handle);
    if (!window) return nullptr;
    if (const x11::SharedFacts *known = FactsDuringEnumeration(*window)) return *known;
    const x11::SigpipeHeld held;
    x11::Server *server = x11::CurrentServer();
    if (server == nullptr) return nullptr;
    std::optional<x11::WindowFacts> facts =
        std::move(x11::FetchFacts(*server, std::span(&*window, 1)).front());
    return facts ? std::make_shared<const x11::WindowFacts>(std::move(*facts)) : nullptr;
}

std::vector<x11::TopLevelWindow> CurrentWindows() {
    const x11::SigpipeHeld held;
    x11::Server *server = x11::CurrentServer();
    if (server == nullptr) return {};
    return x11::CurrentTopLevelWindows(*server);
}

int CopyText(const std::string &text, LPSTR out, int size) {
    if (out == nullptr || size <= 0) return 0;
    const int length = std::min(static_cast<int>(text.size()), size - 1);
    std::memcpy(out, text.data(), static_cast<std::size_t>(length));
    out[length] = '\0';
    return length;
}

}  // namespace

void AbsorbWindowNotifications() {
    const x11::SigpipeHeld held;
    if (x11::Server *server = x11::ConnectedServer()) x11::AbsorbNotifications(*server);
}

BOOL PosixPlatform::EnumWindows(WNDENUMPROC callback, LPARAM parameter) {
    const std::vector<x11::TopLevelWindow> windows = CurrentWindows();
    Enumeration enumeration{&windows, 0};
    const EnumerationScope scope(enumeration);
    for (; enumeration.delivered < windows.size(); ++enumeration.delivered) {
        if (!callback(HandleOf(windows[enumeration.delivered].window), parameter)) return FALSE;
    }
    return TRUE;
}
HWND PosixPlatform::GetParent(HWND window) {
    const auto facts = FactsOf(window);
    if (!facts) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return facts->owner != XCB_WINDOW_NONE ? HandleOf(facts->owner) : nullptr;
}

BOOL PosixPlatform::IsWindow(HWND window) { return FactsOf(window) != nullptr ? TRUE : FALSE; }

BOOL PosixPlatform::IsWindowVisible(HWND window) {
    const auto facts = FactsOf(window);
    return facts && facts->visible ? TRUE : FALSE;
}

int PosixPlatform::GetWindowTextA(HWND window, LPSTR text, int size) {
    const auto facts = FactsOf(window);
    if (!facts) {
        CopyText("", text, size);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CopyText(facts->title, text, size);
}

int PosixPlatform::GetClassNameA(HWND window, LPSTR name, int size) {
    const auto facts = FactsOf(window);
    if (!facts) {
        CopyText("", name, size);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CopyText(facts->className, name, size);
}

DWORD PosixPlatform::GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    const auto facts = FactsOf(window);
    const DWORD process = facts ? facts->processId : 0;
    if (processId != nullptr) *processId = process;
    if (!facts) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return process;
}

}  // namespace plv::posix
