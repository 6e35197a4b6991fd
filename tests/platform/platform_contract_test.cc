// What every platform must do alike: memory, last error, version, clock,
// code pages, messages.
#include <cstring>

#include "platform_contract.h"

namespace plv::testing {
namespace {

TEST_P(PlatformContract, GlobalAllocZeroFillsAndGlobalFreeReleases) {
    for (SIZE_T size : {SIZE_T{1}, SIZE_T{130}, SIZE_T{431}, SIZE_T{65536}}) {
        auto *block = static_cast<unsigned char *>(os.GlobalAlloc(GPTR, size));
        ASSERT_NE(block, nullptr);
        for (SIZE_T i = 0; i < size; ++i) ASSERT_EQ(block[i], 0);
        EXPECT_EQ(os.GlobalFree(block), nullptr);
    }
}

TEST_P(PlatformContract, LastErrorRoundTrips) {
    os.SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(os.GetLastError(), ERROR_ACCESS_DENIED);
    os.SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(os.GetLastError(), ERROR_SUCCESS);
}

TEST_P(PlatformContract, VersionIsReportedForTheDocumentedSize) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(os.GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
}

TEST_P(PlatformContract, LocalTimeAndMktimeAreInverseBeyond2038) {
    for (std::int64_t t : {std::int64_t{0}, std::int64_t{903604502}, std::int64_t{2147483647},
                           std::int64_t{2147483648}, std::int64_t{2398291200}}) {
        std::tm local{};
        ASSERT_TRUE(os.localtime(t, &local));
        local.tm_isdst = -1;
        EXPECT_EQ(os.mktime(&local), t) << t;
    }
}

TEST_P(PlatformContract, MktimeNormalisesMembers) {
    std::tm local{};
    local.tm_year = 99;
    local.tm_mon = 1;
    local.tm_mday = 31;  // 31 February 1999 is 3 March
    local.tm_hour = 12;
    local.tm_isdst = -1;
    const std::int64_t t = os.mktime(&local);
    EXPECT_EQ(local.tm_mon, 2);
    EXPECT_EQ(local.tm_mday, 3);
    std::tm again{};
    again.tm_year = 99;
    again.tm_mon = 2;
    again.tm_mday = 3;
    again.tm_hour = 12;
    again.tm_isdst = -1;
    EXPECT_EQ(os.mktime(&again), t);
}

TEST_P(PlatformContract, OemToCharTurnsCodePage437LettersIntoCodePage1252) {
    const char oem[] = "C:\\\x80\x81\x82\x8E\x99\x9A\xA4\xA5.EXE";
    char ansi[sizeof oem];
    ASSERT_TRUE(os.OemToCharA(oem, ansi));
    EXPECT_STREQ(ansi, "C:\\\xC7\xFC\xE9\xC4\xD6\xDC\xF1\xD1.EXE");
    char inPlace[] = "\x84\x94\x81";
    ASSERT_TRUE(os.OemToCharA(inPlace, inPlace));
    EXPECT_STREQ(inPlace, "\xE4\xF6\xFC");
}

void CALLBACK NoTick(HWND, UINT, UINT_PTR, DWORD) {}

TEST_P(PlatformContract, TimersWithoutAWindowGetIdentifiersOfTheirOwn) {
    const UINT_PTR first = os.SetTimer(nullptr, 2, 1000, &NoTick);
    const UINT_PTR second = os.SetTimer(nullptr, 2, 1000, &NoTick);
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second);
    // Naming an existing one replaces it.
    EXPECT_EQ(os.SetTimer(nullptr, first, 500, &NoTick), first);
    EXPECT_TRUE(os.KillTimer(nullptr, first));
    EXPECT_FALSE(os.KillTimer(nullptr, first));
    EXPECT_TRUE(os.KillTimer(nullptr, second));
}

// Posting to no window differs (Windows queues a thread message); the
// library never does it, so only sending is in the contract.
TEST_P(PlatformContract, MessagesSentToNoWindowAreRefused) {
    EXPECT_EQ(ErrorIf(os.SendMessageA(nullptr, WM_USER + 0x1000, 0, 0) == 0), ERROR_INVALID_WINDOW_HANDLE);
}

}  // namespace
}  // namespace plv::testing
