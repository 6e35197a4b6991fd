#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

class HostWindowTest : public ::testing::Test {
  protected:
    HostWindowTest() {
        window = CreateHostWindow("test", 101, [this](const std::string &l) { heard.push_back(l); });
    }
    ~HostWindowTest() override { DestroyHostWindow(window); }

    PosixPlatform platform;
    std::vector<std::string> heard;
    HWND window = nullptr;
};

TEST_F(HostWindowTest, ListBoxKeepsAndAnnouncesLines) {
    EXPECT_EQ(platform.SendDlgItemMessageA(window, 101, LB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>("first")), 0);
    EXPECT_EQ(platform.SendDlgItemMessageA(window, 101, LB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>("second")), 1);
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(platform.SendDlgItemMessageA(window, 101, LB_GETCOUNT, 0, 0), 2);
    char text[16];
    EXPECT_EQ(platform.SendDlgItemMessageA(window, 101, LB_GETTEXTLEN, 1, 0), 6);
    EXPECT_EQ(platform.SendDlgItemMessageA(window, 101, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text)), 6);
    EXPECT_STREQ(text, "second");
    EXPECT_EQ(platform.SendDlgItemMessageA(window, 101, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(text)), LB_ERR);
}

TEST_F(HostWindowTest, OtherControlsAndWindowsAreNotReached) {
    EXPECT_EQ(platform.SendDlgItemMessageA(window, 102, LB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>("lost")), 0);
    HWND destroyed = CreateHostWindow("gone", 101, nullptr);
    DestroyHostWindow(destroyed);
    EXPECT_EQ(platform.GetDC(destroyed), nullptr);
    EXPECT_EQ(platform.GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_TRUE(heard.empty());
}

TEST_F(HostWindowTest, TextIsMeasuredInAFixedWidthMetric) {
    HDC dc = platform.GetDC(window);
    ASSERT_NE(dc, nullptr);
    SIZE size{};
    ASSERT_TRUE(platform.GetTextExtentPointA(dc, "abcde", 5, &size));
    EXPECT_EQ(size.cx, 5 * kCharWidth);
    EXPECT_EQ(size.cy, kCharHeight);
    EXPECT_EQ(platform.ReleaseDC(window, dc), 1);
}

}  // namespace
}  // namespace plv::posix
