// The Win32 platform against a real window with a list box control: what
// the trace display sends reaches the control, and text is measured in the
// window's font.
#include <string>

#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"

namespace plv::win32 {
namespace {

constexpr int kListBox = 101;

class Win32HostWindowTest : public ::testing::Test {
  protected:
    Win32HostWindowTest() : window(CreateHostWindow("test", kListBox)) {}
    ~Win32HostWindowTest() override { DestroyHostWindow(window); }

    LRESULT Send(int control, UINT message, WPARAM wParam, const char *text) {
        return platform.SendDlgItemMessageA(window, control, message, wParam,
                                            reinterpret_cast<LPARAM>(text));
    }

    Win32Platform platform;
    HWND window;
};

TEST_F(Win32HostWindowTest, ListBoxKeepsLinesInTheirOrder) {
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Send(kListBox, LB_ADDSTRING, 0, "second"), 0);
    EXPECT_EQ(Send(kListBox, LB_ADDSTRING, 0, "first"), 1);
    EXPECT_EQ(Send(kListBox, LB_GETCOUNT, 0, nullptr), 2);
    EXPECT_EQ(Send(kListBox, LB_GETTEXTLEN, 1, nullptr), 5);
    char text[16] = {};
    EXPECT_EQ(platform.SendDlgItemMessageA(window, kListBox, LB_GETTEXT, 1,
                                           reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_STREQ(text, "first");
    EXPECT_EQ(platform.SendDlgItemMessageA(window, kListBox, LB_GETTEXT, 2,
                                           reinterpret_cast<LPARAM>(text)), LB_ERR);
}

TEST_F(Win32HostWindowTest, ListBoxKeepsItsHorizontalExtent) {
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Send(kListBox, LB_SETHORIZONTALEXTENT, 412, nullptr), 0);
    EXPECT_EQ(Send(kListBox, LB_GETHORIZONTALEXTENT, 0, nullptr), 412);
}

TEST_F(Win32HostWindowTest, OtherControlsAndWindowsAreNotReached) {
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Send(kListBox + 1, LB_ADDSTRING, 0, "lost"), 0);
    EXPECT_EQ(Send(kListBox, LB_GETCOUNT, 0, nullptr), 0);

    HWND destroyed = CreateHostWindow("gone", kListBox);
    ASSERT_NE(destroyed, nullptr);
    DestroyHostWindow(destroyed);
    platform.SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(platform.GetDC(destroyed), nullptr);
    EXPECT_EQ(platform.GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(Win32HostWindowTest, TextIsMeasuredInTheWindowsDeviceContext) {
    ASSERT_NE(window, nullptr);
    HDC dc = platform.GetDC(window);
    ASSERT_NE(dc, nullptr);
    SIZE one{};
    SIZE five{};
    ASSERT_TRUE(platform.GetTextExtentPointA(dc, "WWWWW", 1, &one));
    ASSERT_TRUE(platform.GetTextExtentPointA(dc, "WWWWW", 5, &five));
    EXPECT_GT(one.cx, 0);
    EXPECT_EQ(five.cx, 5 * one.cx);
    EXPECT_GT(one.cy, 0);
    EXPECT_EQ(five.cy, one.cy);
    EXPECT_EQ(platform.ReleaseDC(window, dc), 1);
}

}  // namespace
}  // namespace plv::win32
