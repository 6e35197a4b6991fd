#include <algorithm>
#include <cstring>
#include <utility>

#include "support/fake_platform.h"

namespace plv::testing {
namespace {

int CopyText(const std::string &text, LPSTR out, int size) {
    if (out == nullptr || size <= 0) return 0;
    const int length = std::min(static_cast<int>(text.size()), size - 1);
    std::memcpy(out, text.data(), static_cast<std::size_t>(length));
    out[length] = '\0';
    return length;
}

}  // namespace

HWND FakePlatform::AddWindow(Window window) {
    if (window.handle == nullptr) {
        window.handle = reinterpret_cast<HWND>(nextWindow_);
        nextWindow_ += 2;
    }
    windows.push_back(window);
    return window.handle;
}

void FakePlatform::DestroyWindow(HWND window) {
    std::erase_if(windows, [window](const Window &w) { return w.handle == window; });
}

// Searched from where the last search ended: an enumeration asks about the
// windows in order, so a large world stays cheap to query.
FakePlatform::Window *FakePlatform::FindWindow(HWND window) {
    const std::size_t count = windows.size();
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t index = (lastWindow_ + step) % count;
        if (windows[index].handle == window) {
            lastWindow_ = index;
            return &windows[index];
        }
    }
    return nullptr;
}

BOOL FakePlatform::EnumWindows(WNDENUMPROC callback, LPARAM parameter) {
    // Windows enumerates a snapshot of the handles; a window destroyed
    // meanwhile is still delivered, and its queries then fail.
    std::vector<HWND> snapshot;
    for (const Window &w : windows) snapshot.push_back(w.handle);
    if (duringEnumeration) std::exchange(duringEnumeration, nullptr)();
    for (HWND handle : snapshot) {
        if (!callback(handle, parameter)) break;
    }
    return TRUE;
}

HWND FakePlatform::GetParent(HWND window) {
    const Window *w = FindWindow(window);
    return w != nullptr ? w->parent : nullptr;
}

BOOL FakePlatform::IsWindow(HWND window) { return FindWindow(window) != nullptr; }

BOOL FakePlatform::IsWindowVisible(HWND window) {
    const Window *w = FindWindow(window);
    return w != nullptr && w->visible;
}

int FakePlatform::GetWindowTextA(HWND window, LPSTR text, int size) {
    const Window *w = FindWindow(window);
    if (w == nullptr) {
        CopyText("", text, size);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CopyText(w->title, text, size);
}

int FakePlatform::GetClassNameA(HWND window, LPSTR name, int size) {
    const Window *w = FindWindow(window);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CopyText(w->className, name, size);
}

DWORD FakePlatform::GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    const Window *w = FindWindow(window);
    if (processId != nullptr) *processId = w != nullptr ? w->processId : 0;
    if (w == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w != nullptr ? w->threadId : 0;
}

}  // namespace plv::testing
