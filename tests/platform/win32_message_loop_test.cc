// Timers through a real message loop: a timer without a window runs its
// procedure, a window's timer reaches the window, each until it is killed.
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"

namespace plv::testing {
namespace {

struct Tick {
    UINT message;
    UINT_PTR id;
    DWORD at;
};

std::vector<Tick> ticks;

void CALLBACK RecordTick(HWND, UINT message, UINT_PTR id, DWORD) { ticks.push_back({message, id, ::GetTickCount()}); }

LRESULT CALLBACK RecordTimerMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) ticks.push_back({message, wParam, ::GetTickCount()});
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// Runs the thread's message loop for the given time.
void Pump(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (DWORD passed = 0; passed < milliseconds; passed = ::GetTickCount() - start) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - passed, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

class Win32MessageLoop : public ::testing::Test {
  protected:
    Win32MessageLoop() { ticks.clear(); }

    win32::Win32Platform os;
};

TEST_F(Win32MessageLoop, ATimerWithoutAWindowRunsItsProcedureEveryPeriodUntilKilled) {
    const DWORD start = ::GetTickCount();
    const UINT_PTR id = os.SetTimer(nullptr, 0, 50, &RecordTick);
    ASSERT_NE(id, 0u);
    Pump(420);
    // About eight runs, none before its period has passed.
    ASSERT_GE(ticks.size(), 3u);
    EXPECT_LE(ticks.size(), 9u);
    for (std::size_t n = 0; n < ticks.size(); ++n) {
        EXPECT_EQ(ticks[n].message, WM_TIMER);
        EXPECT_EQ(ticks[n].id, id);
        EXPECT_GE(ticks[n].at - start, 40 * (n + 1)) << n;  // the tick count's steps are coarse
    }
    EXPECT_TRUE(os.KillTimer(nullptr, id));
    ticks.clear();
    Pump(150);
    EXPECT_TRUE(ticks.empty());
    EXPECT_FALSE(os.KillTimer(nullptr, id));
}

TEST_F(Win32MessageLoop, AWindowsTimerReachesItsWindowAndEndsWithIt) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RecordTimerMessages;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PLVTimerWindow";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "timer", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                    nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(os.SetTimer(window, 7, 20, nullptr), 0u);
    Pump(120);
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks[0].message, WM_TIMER);
    EXPECT_EQ(ticks[0].id, 7u);
    ::DestroyWindow(window);
    EXPECT_FALSE(os.KillTimer(window, 7));
}

}  // namespace
}  // namespace plv::testing
