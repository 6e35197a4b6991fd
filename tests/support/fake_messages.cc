// Timers and window messages: timers are recorded as SetTimer and KillTimer
// leave them; posted and sent messages are recorded per window.
#include <algorithm>

#include "support/fake_platform.h"

namespace plv::testing {

UINT_PTR FakePlatform::SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    if (timers.refuse) return 0;
    auto found = std::find_if(timers.active.begin(), timers.active.end(), [&](const Timer &timer) {
        return timer.window == window && timer.id == id;
    });
    // A window's timer keeps the caller's id; a timer without a window gets a
    // new one unless it replaces an existing timer of that id.
    if (found == timers.active.end() && window == nullptr) id = timers.nextId++;
    const Timer timer{window, id, elapse, procedure};
    if (found != timers.active.end()) {
        *found = timer;
    } else {
        timers.active.push_back(timer);
    }
    return window == nullptr ? id : 1;
}

BOOL FakePlatform::KillTimer(HWND window, UINT_PTR id) {
    const auto removed = std::erase_if(timers.active, [&](const Timer &timer) {
        return timer.window == window && timer.id == id;
    });
    if (removed == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

BOOL FakePlatform::PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    messages.posted[window].push_back({message, wParam, lParam});
    return TRUE;
}

LRESULT FakePlatform::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    messages.sent[window].push_back({message, wParam, lParam});
    return 0;
}

}  // namespace plv::testing
