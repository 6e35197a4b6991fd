// What every platform must do alike: memory, last error, version, clock,
// file times, code pages, messages.
#include <cstdint>
#include <cstring>
#include <ios>

#include "platform_contract.h"
#include "support/code_page_437.h"

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

// Ticks of 100 ns since 1601 as the calendar gives them, weekday included
// (Sunday is 0); milliseconds are cut, not rounded.
TEST_P(PlatformContract, FileTimesBecomeCalendarFields) {
    struct Case {
        std::uint64_t ticks;
        SYSTEMTIME expected;  // year, month, weekday, day, hour, minute, second, ms
    } const cases[] = {
        {0x0000000000000000, {1601, 1, 1, 1, 0, 0, 0, 0}},
        {0x019DB1DED5D6EF70, {1970, 1, 4, 1, 0, 0, 0, 999}},
        {0x01BF8311159DD090 + 9999, {2000, 2, 2, 29, 23, 59, 59, 1}},
        {0x01DD84B50C4BE3B0, {2026, 12, 6, 5, 12, 35, 2, 123}},
        {0x01DD85508CACDDC0, {2026, 12, 0, 6, 7, 8, 9, 500}},
        {0x01E9FD1ED53E8000, {2038, 1, 2, 19, 3, 14, 8, 0}},
        {0x023868861D695000, {2107, 12, 6, 31, 18, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        const FILETIME time{static_cast<DWORD>(c.ticks), static_cast<DWORD>(c.ticks >> 32)};
        SYSTEMTIME got{};
        ASSERT_TRUE(os.FileTimeToSystemTime(&time, &got)) << std::hex << c.ticks;
        EXPECT_EQ(std::memcmp(&got, &c.expected, sizeof got), 0)
            << std::hex << c.ticks << std::dec << ": " << got.wYear << "-" << got.wMonth << "-" << got.wDay
            << " (" << got.wDayOfWeek << ") " << got.wHour << ":" << got.wMinute << ":" << got.wSecond
            << "." << got.wMilliseconds;
    }
    // A time with the sign bit set is before 1601 and has no calendar fields.
    const FILETIME beforeTheCalendar{0, 0x80000000};
    SYSTEMTIME untouched{};
    EXPECT_EQ(ErrorIf([&] { return !os.FileTimeToSystemTime(&beforeTheCalendar, &untouched); }),
              ERROR_INVALID_PARAMETER);
}

// The count of units a text needs, asked with no buffer, and refused when the
// buffer is short.
TEST_P(PlatformContract, MultiByteToWideCharTellsAndNeedsTheRoomOfTheText) {
    EXPECT_EQ(os.MultiByteToWideChar(CP_ACP, 0, "SERVER", -1, nullptr, 0), 7);
    EXPECT_EQ(os.MultiByteToWideChar(CP_ACP, 0, "SERVER", 3, nullptr, 0), 3);
    WCHAR wide[8] = {0x7777, 0x7777};
    EXPECT_EQ(ErrorIf([&] { return os.MultiByteToWideChar(CP_ACP, 0, "SERVER", -1, wide, 1) == 0; }), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(os.MultiByteToWideChar(CP_ACP, 0, "SERVER", -1, wide, 7), 7);
    EXPECT_EQ(wide[0], u'S');
    EXPECT_EQ(wide[6], 0);
}

TEST_P(PlatformContract, OemToCharGivesWindowsCodePage1252ForEveryCodePage437Byte) {
    char oem[256], ansi[256];
    for (int byte = 1; byte < 256; ++byte) oem[byte - 1] = static_cast<char>(byte);
    oem[255] = '\0';
    ASSERT_TRUE(os.OemToCharA(oem, ansi));
    for (int byte = 1; byte < 256; ++byte) {
        const unsigned expected = byte < 0x80 ? byte : kOem437InAnsi[byte - 0x80];
        EXPECT_EQ(static_cast<unsigned char>(ansi[byte - 1]), expected) << std::hex << byte;
    }
    EXPECT_EQ(ansi[255], '\0');
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
    EXPECT_TRUE(os.KillTimer(nullptr, first));  // the second did not replace it
    // Naming an existing one replaces it.
    EXPECT_EQ(os.SetTimer(nullptr, second, 500, &NoTick), second);
    EXPECT_TRUE(os.KillTimer(nullptr, second));
    EXPECT_EQ(ErrorIf([&] { return !os.KillTimer(nullptr, second); }), ERROR_INVALID_PARAMETER);
}

// Posting to no window differs (Windows queues a thread message); the
// library never does it, so only sending is in the contract.
TEST_P(PlatformContract, MessagesSentToNoWindowAreRefused) {
    EXPECT_EQ(ErrorIf([&] { return os.SendMessageA(nullptr, WM_USER + 0x1000, 0, 0) == 0; }), ERROR_INVALID_WINDOW_HANDLE);
}

}  // namespace
}  // namespace plv::testing
