// The host's message loop: timers run on time, sent messages are answered.
// The host window's list box and text metric.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

using plv::testing::ErrorIf;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Event {
    UINT message;
    WPARAM wParam;
    Clock::time_point when;
};

class MessageLoop : public ::testing::Test {
  protected:
    MessageLoop() {
        self = this;
        window = CreateHostWindow("loop", 101, nullptr);
        SetWindowProcedure(window, [this](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            events.push_back({message, wParam, Clock::now()});
            return message == WM_USER ? lParam * 2 : 0;
        });
    }
    ~MessageLoop() override {
        for (UINT_PTR id : started) os.KillTimer(nullptr, id);
        DestroyHostWindow(window);
        PumpMessages(Clock::now());  // leaves no message for the next test
        self = nullptr;
    }
    static void Tick(HWND, UINT message, UINT_PTR id, DWORD) {
        self->ticks.push_back({message, id, Clock::now()});
    }
    UINT_PTR Start(UINT period) {
        const UINT_PTR id = os.SetTimer(nullptr, 2, period, &Tick);
        started.push_back(id);
        return id;
    }

    static MessageLoop *self;
    PosixPlatform os;
    HWND window = nullptr;
    std::vector<Event> events;
    std::vector<Event> ticks;
    std::vector<UINT_PTR> started;
};
MessageLoop *MessageLoop::self = nullptr;

TEST_F(MessageLoop, ATimerRunsItsProcedureOnceEveryPeriod) {
    const Clock::time_point start = Clock::now();
    const UINT_PTR id = Start(40);
    ASSERT_NE(id, 0u);
    // Five runs, however long a loaded machine takes to give them.
    while (ticks.size() < 5 && Clock::now() - start < std::chrono::seconds(10))
        PumpMessages(Clock::now() + milliseconds(10));
    const Clock::duration pumped = Clock::now() - start;
    ASSERT_GE(ticks.size(), 5u);
    // The n-th run never comes before n periods have passed.
    EXPECT_LE(ticks.size(), static_cast<std::size_t>(pumped / milliseconds(40)));
    for (std::size_t n = 0; n < ticks.size(); ++n) {
        EXPECT_EQ(ticks[n].message, WM_TIMER);
        EXPECT_EQ(ticks[n].wParam, id);
        EXPECT_GE(ticks[n].when - start, milliseconds(40) * static_cast<int>(n + 1)) << n;
    }
    EXPECT_TRUE(os.KillTimer(nullptr, id));
    EXPECT_FALSE(os.KillTimer(nullptr, id));
    ticks.clear();
    EXPECT_TRUE(PumpMessages(Clock::now() + milliseconds(100)));
    EXPECT_TRUE(ticks.empty());
}

// As on Windows, a period below 10 ms is taken for 10 ms.
TEST_F(MessageLoop, APeriodBelowTheShortestRunsAtTheShortest) {
    const Clock::time_point start = Clock::now();
    Start(1);
    while (ticks.size() < 3 && Clock::now() - start < std::chrono::seconds(10))
        PumpMessages(Clock::now() + milliseconds(10));
    ASSERT_GE(ticks.size(), 3u);
    for (std::size_t n = 0; n < ticks.size(); ++n)
        EXPECT_GE(ticks[n].when - start, milliseconds(10) * static_cast<int>(n + 1)) << n;
}

TEST_F(MessageLoop, ATimerThatFellBehindRunsOnceNotOncePerPeriodMissed) {
    Start(50);
    std::this_thread::sleep_for(milliseconds(300));  // six periods missed
    const Clock::time_point start = Clock::now();
    PumpMessages(start + milliseconds(5));
    // At once, and after that at most once a period for as long as the pump
    // took, however loaded the machine; never the missed ones in a row.
    const Clock::duration pumped = Clock::now() - start;
    EXPECT_GE(ticks.size(), 1u);
    EXPECT_LE(ticks.size(), 1 + static_cast<std::size_t>(pumped / milliseconds(50)));
}

// A cycle slower than its period must not keep the caller (the host looking
// for a stop request) from its turn: the loop gives way once the time it was
// given is up, even though the timer is due again at once.
TEST_F(MessageLoop, ATimerSlowerThanItsPeriodLetsTheCallerHaveItsTurn) {
    static int runs = 0;
    runs = 0;
    const UINT_PTR id = os.SetTimer(nullptr, 2, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        std::this_thread::sleep_for(milliseconds(30));
        if (++runs == 5) QuitMessageLoop();  // a loop that never gives way ends here
    });
    started.push_back(id);
    EXPECT_TRUE(PumpMessages(Clock::now() + milliseconds(15)));
    EXPECT_EQ(runs, 1);
}

// A quit from another thread wakes a loop that has nothing to do, and ends
// that loop only: the host may run the loop again.
TEST_F(MessageLoop, AQuitWakesTheLoopAndIsSpentByIt) {
    std::thread quitter([] {
        std::this_thread::sleep_for(milliseconds(50));
        QuitMessageLoop();
    });
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(PumpMessages(start + std::chrono::seconds(20)));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));  // woken, not timed out
    quitter.join();
    EXPECT_TRUE(PumpMessages(Clock::now()));
}

TEST_F(MessageLoop, PostedMessagesReachTheWindowInTheOrderPosted) {
    for (WPARAM order : {1, 2, 3}) EXPECT_TRUE(os.PostMessageA(window, WM_USER, order, 0));
    EXPECT_TRUE(PumpMessages(Clock::now()));
    ASSERT_EQ(events.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(events[i].wParam, i + 1);
}

TEST_F(MessageLoop, NamingARunningTimerReplacesItsProcedure) {
    const UINT_PTR id = Start(40);
    static int replacedRuns;
    replacedRuns = 0;
    ASSERT_EQ(os.SetTimer(nullptr, id, 40, [](HWND, UINT, UINT_PTR, DWORD) { ++replacedRuns; }), id);
    const Clock::time_point start = Clock::now();
    while (replacedRuns == 0 && Clock::now() - start < std::chrono::seconds(10))
        PumpMessages(Clock::now() + milliseconds(10));
    EXPECT_GT(replacedRuns, 0);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(MessageLoop, SentMessagesAreAnsweredAtOnce) {
    EXPECT_EQ(os.SendMessageA(window, WM_USER, 0, 21), 42);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(os.PostMessageA(window, WM_CLOSE, 0, 0));
    DestroyHostWindow(window);
    PumpMessages(Clock::now());
    EXPECT_EQ(events.size(), 1u);  // what was posted to it went with the window
    EXPECT_EQ(ErrorIf(os, [&] { return os.SendMessageA(window, WM_USER, 0, 21) == 0; }), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(os.PostMessageA(window, WM_CLOSE, 0, 0));
}

TEST_F(MessageLoop, AWindowTimerWithoutProcedureReachesTheWindowAndDiesWithItAndOnlyHostWindowsTakeTimers) {
    EXPECT_EQ(os.SetTimer(window, 7, 10, nullptr), 1u);
    PumpMessages(Clock::now() + milliseconds(35));
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].message, WM_TIMER);
    EXPECT_EQ(events[0].wParam, 7u);
    DestroyHostWindow(window);
    EXPECT_FALSE(os.KillTimer(window, 7));
    // Only host windows take timers.
    EXPECT_EQ(ErrorIf(os, [&] { return os.SetTimer(reinterpret_cast<HWND>(std::uintptr_t{0x77}), 2, 20, &Tick) == 0u; }),
              ERROR_INVALID_WINDOW_HANDLE);
}

class HostWindowTest : public ::testing::Test {
  protected:
    HostWindowTest() {
        window = CreateHostWindow("test", 101, [this](const std::string &l) { heard.push_back(l); });
    }
    ~HostWindowTest() override { DestroyHostWindow(window); }
    LRESULT Send(int control, UINT message, WPARAM wParam, const void *lParam = nullptr) {
        return platform.SendDlgItemMessageA(window, control, message, wParam, reinterpret_cast<LPARAM>(lParam));
    }

    PosixPlatform platform;
    std::vector<std::string> heard;
    HWND window = nullptr;
};

TEST_F(HostWindowTest, ListBoxKeepsAndAnnouncesLines) {
    EXPECT_EQ(Send(101, LB_ADDSTRING, 0, "first"), 0);
    EXPECT_EQ(Send(101, LB_ADDSTRING, 0, "second"), 1);
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(Send(101, LB_GETCOUNT, 0), 2);
    char text[16] = "###############";  // the terminator must be copied too
    EXPECT_EQ(Send(101, LB_GETTEXTLEN, 1), 6);
    EXPECT_EQ(Send(101, LB_GETTEXT, 1, text), 6);
    EXPECT_STREQ(text, "second");
    EXPECT_EQ(Send(101, LB_GETTEXT, 2, text), LB_ERR);
}

TEST_F(HostWindowTest, OtherControlsAndWindowsAreNotReached) {
    EXPECT_EQ(Send(102, LB_ADDSTRING, 0, "lost"), 0);
    HWND destroyed = CreateHostWindow("gone", 101, nullptr);
    DestroyHostWindow(destroyed);
    EXPECT_EQ(ErrorIf(platform, [&] { return platform.GetDC(destroyed) == nullptr; }), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(ErrorIf(platform, [&] { return platform.SendDlgItemMessageA(destroyed, 101, LB_GETCOUNT, 0, 0) == 0; }),
              ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_TRUE(heard.empty());
}

TEST_F(HostWindowTest, TextIsMeasuredInAFixedWidthMetric) {
    HDC dc = platform.GetDC(window);
    ASSERT_NE(dc, nullptr);
    SIZE size{};
    ASSERT_TRUE(platform.GetTextExtentPointA(dc, "abcde", 5, &size));
    EXPECT_EQ(size.cx, 5 * kCharWidth);
    EXPECT_EQ(size.cy, kCharHeight);
    ASSERT_TRUE(platform.GetTextExtentPointA(dc, "", 0, &size));  // an empty text is no width
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(ErrorIf(platform, [&] { return !platform.GetTextExtentPointA(nullptr, "abcde", 5, &size); }), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(platform.ReleaseDC(window, nullptr), 0);  // not the window's context
    EXPECT_EQ(platform.ReleaseDC(window, dc), 1);
}

}  // namespace
}  // namespace plv::posix
