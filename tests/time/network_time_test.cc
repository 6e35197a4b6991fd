#include "time/network_time.h"

#include <cstring>
#include <string>
#include <vector>

#include "entry/library_entry.h"
#include "support/library_test.h"
#include "support/pending_events.h"
#include "time/time_services.h"

namespace plv::testing {
namespace {

// A NetWare server whose clock runs `offset` seconds from the workstation's,
// or answers a fixed reading.
struct Server {
    FakePlatform *fake = nullptr;
    std::int64_t offset = 0;
    bool fixed = false;
    BYTE reading[7] = {};
    std::vector<std::int64_t> askedAt;
} server;

WORD WINAPI NetWareTime(DWORD, BYTE *buffer) {
    server.askedAt.push_back(server.fake->clock.now);
    if (server.fixed) {
        std::memcpy(buffer, server.reading, 7);
        return 0;
    }
    std::tm local{};
    server.fake->localtime(server.fake->clock.now + server.offset, &local);
    const BYTE answer[7] = {BYTE(local.tm_year), BYTE(local.tm_mon + 1), BYTE(local.tm_mday),
                            BYTE(local.tm_hour), BYTE(local.tm_min), BYTE(local.tm_sec), 0};
    std::memcpy(buffer, answer, 7);
    return 0;
}

constexpr char kSettings[] = "F:\\PLV\\SYSTEM\\PLV.INI";
constexpr char kSection[] = "[Pelvantine]\r\nCheckTimeSource=";

class NetworkTimeTest : public LibraryTest {
  protected:
    NetworkTimeTest() {
        server = Server{};
        server.fake = &fake;
        Initialize();
        runtime.networkKind = kNetworkNetWare;
        runtime.networkModule = fake.RegisterModule("NWCALLS.DLL", {{"NWGetFileServerDateAndTime", AsEntry(&NetWareTime)}});
        EXPECT_EQ(InitializeNetworkAPI(kNetworkNetWare), 1);
    }
    std::string Now() {
        WSDate date;
        WSTime time;
        std::memset(&date, 0x55, sizeof date);  // every field must be written
        std::memset(&time, 0x55, sizeof time);
        GetNOSDateTime(&date, &time);
        EXPECT_EQ(time.hundredths, 0);
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month,
                      date.day, time.hour, time.minute, time.second);
        return text;
    }
    // Calls every `step` seconds for `total` seconds; the number of questions.
    std::size_t QuestionsOver(std::int64_t total, std::int64_t step) {
        server.askedAt.clear();
        for (std::int64_t t = 0; t < total; t += step) {
            fake.AdvanceSeconds(step);
            Now();
        }
        return server.askedAt.size();
    }
};

TEST_F(NetworkTimeTest, CheckIntervalOutsideOneTo24HoursIsTwo) {
    struct Case {
        const char *setting;  // null: no settings file
        std::size_t questionsOverTwelveHours;
    };
    const Case cases[] = {{nullptr, 6}, {"0", 6}, {"25", 6}, {"-3", 6},
                          {"24", 0},    {"4", 3}, {"1", 12}};
    for (const Case &c : cases) {
        ResetLibraryState();
        Initialize();
        ASSERT_EQ(InitializeNetworkAPI(kNetworkNetWare), 1);
        server.askedAt.clear();
        fake.files.files.erase(kSettings);
        if (c.setting)
            fake.files.files[kSettings].data = std::string(kSection) + c.setting + "\r\n";
        fake.SetLocalTime(1998, 8, 20, 0, 0, 30);
        Now();  // the first call always asks
        EXPECT_EQ(server.askedAt.size(), 1u);
        EXPECT_EQ(QuestionsOver(12 * 3600, 100), c.questionsOverTwelveHours)
            << (c.setting ? c.setting : "-");
    }
}

// The answer stands for two minutes from the last call, not from the last
// question; a longer pause asks again.
TEST_F(NetworkTimeTest, TheCachedAnswerStandsTwoMinutesFromTheLastCall) {
    Now();
    EXPECT_EQ(QuestionsOver(120, 120), 0u);
    EXPECT_EQ(QuestionsOver(120, 120), 0u);
    EXPECT_EQ(QuestionsOver(121, 121), 1u);
}

TEST_F(NetworkTimeTest, HoursAreCountedAcrossMidnight) {
    fake.SetLocalTime(1998, 8, 20, 23, 30, 0);
    Now();
    server.askedAt.clear();
    QuestionsOver(3600, 100);  // to 00:30: hour 0 is one hour on from hour 23
    EXPECT_TRUE(server.askedAt.empty());
    QuestionsOver(3600, 100);  // to 01:30: hour 1 is two hours on
    ASSERT_EQ(server.askedAt.size(), 1u);
    std::tm asked{};
    fake.localtime(server.askedAt[0], &asked);
    EXPECT_EQ(asked.tm_hour, 1);
    EXPECT_LT(asked.tm_min, 2);  // hours are compared, not minutes
}

TEST_F(NetworkTimeTest, TimeNeverGoesBackward) {
    EXPECT_EQ(Now(), "1998-08-20 09:15:02");
    server.offset = -1;
    fake.AdvanceSeconds(121);  // forces a question whose answer lies 120 s on, fine
    EXPECT_EQ(Now(), "1998-08-20 09:17:02");
    server.offset = -200;
    fake.AdvanceSeconds(130);
    EXPECT_EQ(Now(), "1998-08-20 09:17:02");  // the source went back: repeat the last time
    server.askedAt.clear();
    fake.AdvanceSeconds(1);
    Now();
    EXPECT_EQ(server.askedAt.size(), 1u);  // and ask again on the next call
    server.offset = -86400;
    fake.AdvanceSeconds(130);
    EXPECT_EQ(Now(), "1998-08-20 09:17:02");  // a day back: the last date too
}

TEST_F(NetworkTimeTest, ImpossibleAnswerFallsBackAndIsLoggedOnce) {
    server.fixed = true;
    const BYTE month13[7] = {98, 13, 20, 10, 0, 0, 0};
    std::memcpy(server.reading, month13, 7);
    EXPECT_EQ(Now(), "1998-08-20 09:15:02");
    EXPECT_THAT(PendingSummaries(runtime),
                ::testing::ElementsAre("NOS API Failure|Pelvantine|Invalid time"));
    EXPECT_EQ(runtime.networkKind, kNetworkNone);  // NetWare dropped to none
    server.askedAt.clear();
    fake.AdvanceSeconds(1);
    Now();
    EXPECT_EQ(server.askedAt.size(), 1u);  // an invalid answer makes the next call ask
}

// Each field at its limit is possible (the first and the last second of a
// year); just past it, impossible, which drops the source.
TEST_F(NetworkTimeTest, EachFieldIsPossibleUpToItsLimit) {
    server.fixed = true;
    const struct {
        BYTE reading[7];
        const char *answer;  // null: impossible
    } cases[] = {
        {{98, 1, 1, 0, 0, 0, 0}, "1998-01-01 00:00:00"},
        {{98, 12, 31, 23, 59, 59, 0}, "1998-12-31 23:59:59"},
        {{98, 0, 20, 10, 0, 0, 0}, nullptr},  {{98, 8, 0, 10, 0, 0, 0}, nullptr},
        {{98, 8, 32, 10, 0, 0, 0}, nullptr},  {{98, 8, 20, 24, 0, 0, 0}, nullptr},
        {{98, 8, 20, 10, 60, 0, 0}, nullptr}, {{98, 8, 20, 10, 0, 60, 0}, nullptr},
    };
    for (const auto &c : cases) {
        runtime.networkKind = kNetworkNetWare;
        std::memcpy(server.reading, c.reading, 7);
        fake.AdvanceSeconds(121);
        const std::string now = Now();
        EXPECT_EQ(runtime.networkKind, c.answer ? kNetworkNetWare : kNetworkNone)
            << "row " << &c - cases;
        if (c.answer == nullptr) continue;
        EXPECT_EQ(now, c.answer);
        EXPECT_THAT(PendingSummaries(runtime), ::testing::IsEmpty());
    }
}

TEST_F(NetworkTimeTest, UnreadableClockFileUsesTheWorkstationWithoutValidation) {
    agent.optionFlags |= PLV_OPT_CLOCK_FILE;
    agent.clockFile = nullptr;
    server.offset = 3600;
    EXPECT_EQ(Now(), "1998-08-20 09:15:02");
    EXPECT_TRUE(server.askedAt.empty());  // the service is not asked with the clock-file flag
    fake.AdvanceSeconds(60);
    EXPECT_EQ(Now(), "1998-08-20 09:16:02");  // cached with offset 0
}

}  // namespace
}  // namespace plv::testing
