// Timers and posted messages of the host's thread, and the loop that runs
// them: posted messages first, in order; then a timer that is due. A timer
// that fell behind fires once, not once per period missed, as on Windows.
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/posix/host_windows.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/window_notifications.h"

namespace plv::posix {
namespace {

using Clock = std::chrono::steady_clock;

// Windows' shortest and longest timer periods.
constexpr UINT kMinimumPeriod = 10;
constexpr UINT kMaximumPeriod = 0x7FFFFFFF;

struct Timer {
    HWND window;
    UINT_PTR id;
    std::chrono::milliseconds period;
    TIMERPROC procedure;
    Clock::time_point due;
};

struct PostedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct MessageQueue {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<PostedMessage> posted;
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 0x100;  // far from the small numbers callers ask for
    bool quit = false;
};

MessageQueue &Queue() {
    static MessageQueue queue;
    return queue;
}

std::vector<Timer>::iterator FindTimer(HWND window, UINT_PTR id) {
    return std::find_if(Queue().timers.begin(), Queue().timers.end(),
                        [&](const Timer &timer) { return timer.window == window && timer.id == id; });
}

// The time argument of a timer procedure: milliseconds of the system's
// monotonic clock, wrapping as GetTickCount does.
DWORD TickCount() {
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
}

void RunTimer(const Timer &timer) {
    if (timer.procedure) {
        timer.procedure(timer.window, WM_TIMER, timer.id, TickCount());
    } else {
        CallWindowProcedure(timer.window, WM_TIMER, timer.id, 0);
    }
}

}  // namespace

void ForgetWindowTimers(HWND window) {
    std::lock_guard lock(Queue().mutex);
    std::erase_if(Queue().timers, [&](const Timer &timer) { return timer.window == window; });
}

// A timer without a window gets a new identifier unless it replaces the
// thread's timer of the identifier given; a window's timer keeps its own.
UINT_PTR PosixPlatform::SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    if (window != nullptr && !IsHostWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const auto period = std::chrono::milliseconds(std::clamp(elapse, kMinimumPeriod, kMaximumPeriod));
    std::lock_guard lock(Queue().mutex);
    auto existing = FindTimer(window, id);
    if (existing == Queue().timers.end() && window == nullptr) {
        do {
            id = Queue().nextTimerId++;
        } while (id == 0 || FindTimer(nullptr, id) != Queue().timers.end());
    }
    const Timer timer{window, id, period, procedure, Clock::now() + period};
    if (existing != Queue().timers.end()) {
        *existing = timer;
    } else {
        Queue().timers.push_back(timer);
    }
    Queue().wake.notify_all();
    return window == nullptr ? id : 1;
}

BOOL PosixPlatform::KillTimer(HWND window, UINT_PTR id) {
    std::lock_guard lock(Queue().mutex);
    auto found = FindTimer(window, id);
    if (found == Queue().timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Queue().timers.erase(found);
    return TRUE;
}

BOOL PosixPlatform::PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsHostWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(Queue().mutex);
    Queue().posted.push_back({window, message, wParam, lParam});
    Queue().wake.notify_all();
    return TRUE;
}

// The procedure runs on the caller's thread, which in this system is the
// host's thread that owns the window.
LRESULT PosixPlatform::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsHostWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CallWindowProcedure(window, message, wParam, lParam);
}

bool PumpMessages(Clock::time_point until) {
    std::unique_lock lock(Queue().mutex);
    for (;;) {
        if (Queue().quit) {
            Queue().quit = false;
            return false;
        }
        if (!Queue().posted.empty()) {
            const PostedMessage message = Queue().posted.front();
            Queue().posted.pop_front();
            lock.unlock();
            CallWindowProcedure(message.window, message.message, message.wParam, message.lParam);
            lock.lock();
            continue;
        }
        const Clock::time_point now = Clock::now();
        auto next = std::min_element(Queue().timers.begin(), Queue().timers.end(),
                                     [](const Timer &a, const Timer &b) { return a.due < b.due; });
        if (next != Queue().timers.end() && next->due <= now) {
            next->due += next->period;
            if (next->due <= now) next->due = now + next->period;
            const Timer due = *next;
            lock.unlock();
            RunTimer(due);
            AbsorbWindowNotifications();
            lock.lock();
            // A timer whose work outlasts its period is due again at once:
            // the caller gets its turn when its time is up all the same.
            if (Clock::now() >= until) return true;
            continue;
        }
        if (now >= until) return true;
        const Clock::time_point wakeAt =
            next == Queue().timers.end() ? until : std::min(until, next->due);
        Queue().wake.wait_until(lock, wakeAt);
    }
}

void RunMessageLoop() {
    while (PumpMessages(Clock::time_point::max())) {
    }
}

void QuitMessageLoop() {
    std::lock_guard lock(Queue().mutex);
    Queue().quit = true;
    Queue().wake.notify_all();
}

}  // namespace plv::posix
