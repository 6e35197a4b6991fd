// Top-level windows of other programs, from the X server named by DISPLAY.
// A window handle carries the X window id. Without a server there are no
// windows, and every query fails as for a window that is gone.
//
// An enumeration asks for the facts of all windows in one pipelined batch and
// answers the calls its callback makes from that batch; other calls ask the
// server, one round trip each. The thread of a window is its process's main
// thread, whose id on Linux is the process id.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "platform/posix/posix_platform.h"
#include "platform/posix/x11_windows.h"

namespace plv::posix {
namespace {

using FactsByWindow = std::unordered_map<xcb_window_t, x11::WindowFacts>;

// The batch of the innermost enumeration in progress.
const FactsByWindow *enumerationFacts = nullptr;

class Enumeration {
  public:
    explicit Enumeration(const FactsByWindow &facts) : outer_(enumerationFacts) {
        enumerationFacts = &facts;
    }
    ~Enumeration() { enumerationFacts = outer_; }
    Enumeration(const Enumeration &) = delete;
    Enumeration &operator=(const Enumeration &) = delete;

  private:
    const FactsByWindow *outer_;
};

HWND HandleOf(xcb_window_t window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

std::optional<xcb_window_t> WindowOf(HWND handle) {
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value == 0 || value > UINT32_MAX) return std::nullopt;
    return static_cast<xcb_window_t>(value);
}

// The top-level windows, and the facts of those that exist, in one batch.
FactsByWindow FetchTopLevelWindows(std::vector<xcb_window_t> &windows) {
    const x11::SigpipeHeld held;
    x11::Server *server = x11::CurrentServer();
    if (server == nullptr) return {};
    windows = x11::TopLevelWindows(*server);
    std::vector<std::optional<x11::WindowFacts>> facts = x11::FetchFacts(*server, windows);
    FactsByWindow batch;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (facts[i]) batch.emplace(windows[i], std::move(*facts[i]));
    }
    return batch;
}

std::optional<x11::WindowFacts> FactsOf(HWND handle) {
    const auto window = WindowOf(handle);
    if (!window) return std::nullopt;
    if (enumerationFacts != nullptr) {
        if (auto known = enumerationFacts->find(*window); known != enumerationFacts->end()) {
            return known->second;
        }
    }
    const x11::SigpipeHeld held;
    x11::Server *server = x11::CurrentServer();
    if (server == nullptr) return std::nullopt;
    return std::move(x11::FetchFacts(*server, std::span(&*window, 1)).front());
}

int CopyText(const std::string &text, LPSTR out, int size) {
    if (out == nullptr || size <= 0) return 0;
    const int length = std::min(static_cast<int>(text.size()), size - 1);
    std::memcpy(out, text.data(), static_cast<std::size_t>(length));
    out[length] = '\0';
    return length;
}

}  // namespace

BOOL PosixPlatform::EnumWindows(WNDENUMPROC callback, LPARAM parameter) {
    std::vector<xcb_window_t> windows;
    const FactsByWindow batch = FetchTopLevelWindows(windows);
    const Enumeration enumeration(batch);
    for (xcb_window_t window : windows) {
        // Windows that were gone when the batch was answered are not delivered.
        if (!batch.contains(window)) continue;
        if (!callback(HandleOf(window), parameter)) return FALSE;
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

BOOL PosixPlatform::IsWindow(HWND window) { return FactsOf(window) ? TRUE : FALSE; }

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
