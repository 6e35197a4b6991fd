// Top-level windows through the real window manager, as the process scan
// reads them: found by EnumWindows with their title, class, owner, process
// and thread, in this process and in another.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"
#include "support/test_window_process.h"

namespace plv::testing {
namespace {

struct Found {
    HWND window;
    std::string title;
    std::string className;
    HWND parent;
    DWORD processId;
    DWORD threadId;
    bool visible;
    bool operator==(const Found &) const = default;
};

void PrintTo(const Found &f, std::ostream *out) {
    *out << f.window << " \"" << f.title << "\" class \"" << f.className << "\" parent " << f.parent
         << " process " << f.processId << " thread " << f.threadId << " visible " << f.visible;
}

struct Enumeration {
    Platform *os;
    std::vector<Found> windows;
    std::size_t stopAfter;
};

BOOL CALLBACK Collect(HWND window, LPARAM parameter) {
    auto *enumeration = reinterpret_cast<Enumeration *>(parameter);
    Platform &os = *enumeration->os;
    char title[64] = {};
    char className[129] = {};
    os.GetWindowTextA(window, title, sizeof title);
    os.GetClassNameA(window, className, sizeof className);
    DWORD processId = 0;
    const DWORD threadId = os.GetWindowThreadProcessId(window, &processId);
    enumeration->windows.push_back(
        {window, title, className, os.GetParent(window), processId, threadId, os.IsWindowVisible(window) != FALSE});
    return enumeration->windows.size() < enumeration->stopAfter;
}

class Win32Windows : public ::testing::Test {
  protected:
    static constexpr char kClass[] = "PLVScanWindow";

    Win32Windows() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClass;
        ::RegisterClassA(&windowClass);
        owner = ::CreateWindowExA(0, kClass, "Quarterly Report - Writer", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
        owned = ::CreateWindowExA(0, kClass, "Find", WS_POPUP, 0, 0, 100, 50, owner, nullptr,
                                  windowClass.hInstance, nullptr);
    }
    ~Win32Windows() override {
        ::DestroyWindow(owned);
        ::DestroyWindow(owner);
    }

    std::vector<Found> TopLevelWindows(std::size_t stopAfter = SIZE_MAX) {
        Enumeration enumeration{&os, {}, stopAfter};
        EXPECT_TRUE(os.EnumWindows(Collect, reinterpret_cast<LPARAM>(&enumeration)) ||
                    enumeration.windows.size() == stopAfter);
        return enumeration.windows;
    }

    static const Found *Find(const std::vector<Found> &windows, HWND window) {
        for (const Found &found : windows)
            if (found.window == window) return &found;
        return nullptr;
    }

    win32::Win32Platform os;
    HWND owner = nullptr;
    HWND owned = nullptr;
};

TEST_F(Win32Windows, EachWindowComesWithItsTitleClassOwnerProcessAndThread) {
    ASSERT_NE(owner, nullptr);
    ASSERT_NE(owned, nullptr);
    ::ShowWindow(owner, SW_SHOWNORMAL);
    const std::vector<Found> windows = TopLevelWindows();

    const Found *main = Find(windows, owner);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(*main, (Found{owner, "Quarterly Report - Writer", kClass, nullptr, ::GetCurrentProcessId(),
                            ::GetCurrentThreadId(), true}));
    // An owned window names its owner as its parent: the scan passes it by.
    const Found *popup = Find(windows, owned);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->parent, owner);
    EXPECT_FALSE(popup->visible);

    // Besides these, this thread's only top-level windows are hidden ones
    // titled "Default IME" of class "IME", which Wine gives every thread
    // with windows; being hidden, the scan's first pass never takes one.
    for (const Found &found : windows) {
        if (found.threadId != ::GetCurrentThreadId() || found.window == owner || found.window == owned) continue;
        EXPECT_EQ(found.title, "Default IME");
        EXPECT_EQ(found.className, "IME");
        EXPECT_FALSE(found.visible);
    }

    // Texts are cut to the caller's buffer; the callback ends the enumeration.
    char text[8];
    EXPECT_EQ(os.GetWindowTextA(owner, text, sizeof text), 7);
    EXPECT_STREQ(text, "Quarter");
    EXPECT_EQ(os.GetClassNameA(owner, text, sizeof text), 7);
    EXPECT_STREQ(text, "PLVScan");
    EXPECT_EQ(TopLevelWindows(1).size(), 1u);
}

TEST_F(Win32Windows, AnotherProcessesWindowIsFoundUntilItIsClosed) {
    TestWindowProcess child("Untitled - Sketch");
    ASSERT_NE(child.window(), nullptr);
    const std::vector<Found> windows = TopLevelWindows();
    const Found *found = Find(windows, child.window());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, (Found{child.window(), "Untitled - Sketch", TestWindowProcess::kClass, nullptr,
                             child.processId(), child.threadId(), true}));
    EXPECT_NE(found->processId, ::GetCurrentProcessId());

    EXPECT_EQ(child.Close(), 0);
    EXPECT_FALSE(os.IsWindow(child.window()));
    EXPECT_EQ(Find(TopLevelWindows(), child.window()), nullptr);
}

}  // namespace
}  // namespace plv::testing
