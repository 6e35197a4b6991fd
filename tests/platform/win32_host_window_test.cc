// The host window on the real Windows API: what reaches another control or a
// destroyed window, which the Linux platform's host window follows. Its list
// box, lines and extent as the trace display uses them: dll_load_test.cc.
#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "platform/win32/win32_platform.h"

namespace plv::win32 {
namespace {

constexpr int kListBox = 101;

TEST(Win32HostWindow, OtherControlsAndWindowsAreNotReached) {
    Win32Platform platform;
    HWND window = CreateHostWindow("test", kListBox);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(platform.SendDlgItemMessageA(window, kListBox + 1, LB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>("lost")),
              0);
    EXPECT_EQ(platform.SendDlgItemMessageA(window, kListBox, LB_GETCOUNT, 0, 0), 0);
    DestroyHostWindow(window);
    EXPECT_EQ(plv::testing::ErrorIf(platform, [&] { return platform.GetDC(window) == nullptr; }), ERROR_INVALID_WINDOW_HANDLE);
}

}  // namespace
}  // namespace plv::win32
