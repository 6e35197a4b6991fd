#include <string>
#include <vector>

#include "core/library_state.h"
#include "settings/mif_trigger.h"
#include "settings/settings_refresh.h"
#include "support/library_test.h"
#include "support/pending_events.h"

namespace plv::testing {
namespace {

using ::testing::ElementsAre;

constexpr char kKey[] = "SOFTWARE\\Valdrin Systems Corp.\\Pelvantine";
constexpr char kGenerator[] = "F:\\PLV\\SYSTEM\\PLVMIFG.EXE";
constexpr char kFailed[] = "MIF Generation Failed|Pelvantine MIF Generator|";
constexpr char kLaunched[] = "MIF Generator Launched|Pelvantine MIF Generator|";

// Month, day, year: the order the settings and the registry write dates in.
PLVDate Mdy(int month, int day, int year) {
    return PLVDate{static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(month),
                   static_cast<std::uint16_t>(year)};
}

TEST(MifDueTest, PeriodsCountFromTheStartDate) {
    struct Case {
        char frequency;
        PLVDate start, last, today;
        bool due;
    } cases[] = {
        {'M', Mdy(1, 1, 1998), Mdy(1, 15, 1998), Mdy(1, 31, 1998), false},
        {'M', Mdy(1, 1, 1998), Mdy(1, 15, 1998), Mdy(2, 1, 1998), true},
        // "31 February" is 3 March.
        {'M', Mdy(1, 31, 1998), Mdy(1, 31, 1998), Mdy(3, 2, 1998), false},
        {'M', Mdy(1, 31, 1998), Mdy(1, 31, 1998), Mdy(3, 3, 1998), true},
        {'W', Mdy(1, 5, 1998), Mdy(1, 10, 1998), Mdy(1, 11, 1998), false},
        {'W', Mdy(1, 5, 1998), Mdy(1, 10, 1998), Mdy(1, 12, 1998), true},
        {'B', Mdy(1, 5, 1998), Mdy(1, 10, 1998), Mdy(1, 18, 1998), false},
        {'B', Mdy(1, 5, 1998), Mdy(1, 10, 1998), Mdy(1, 19, 1998), true},
        {'I', Mdy(1, 1, 1998), Mdy(1, 15, 1998), Mdy(2, 28, 1998), false},
        {'I', Mdy(1, 1, 1998), Mdy(1, 15, 1998), Mdy(3, 1, 1998), true},
        {'Q', Mdy(11, 15, 1998), Mdy(11, 20, 1998), Mdy(2, 14, 1999), false},
        {'Q', Mdy(11, 15, 1998), Mdy(11, 20, 1998), Mdy(2, 15, 1999), true},
        {'S', Mdy(9, 1, 1998), Mdy(9, 2, 1998), Mdy(2, 28, 1999), false},
        {'S', Mdy(9, 1, 1998), Mdy(9, 2, 1998), Mdy(3, 1, 1999), true},
        {'A', Mdy(1, 1, 1998), Mdy(6, 1, 1998), Mdy(12, 31, 1998), false},
        {'A', Mdy(1, 1, 1998), Mdy(6, 1, 1998), Mdy(1, 1, 1999), true},
        {'D', Mdy(1, 1, 1998), Mdy(3, 10, 1998), Mdy(3, 10, 1998), false},
        {'D', Mdy(1, 1, 1998), Mdy(3, 10, 1998), Mdy(3, 11, 1998), true},
        {'X', Mdy(1, 1, 1998), Mdy(3, 10, 1998), Mdy(3, 10, 1998), false},  // other letters: daily
        {'X', Mdy(1, 1, 1998), Mdy(3, 10, 1998), Mdy(3, 11, 1998), true},
        {'\0', Mdy(1, 1, 1998), Mdy(3, 10, 1998), Mdy(3, 11, 1998), true},
        {'M', Mdy(6, 1, 1998), Mdy(5, 1, 1998), Mdy(5, 15, 1998), false},  // today before the start
        {'M', Mdy(6, 1, 1998), Mdy(5, 1, 1998), Mdy(6, 2, 1998), true},    // last before the start
        {'M', Mdy(1, 1, 1998), Mdy(3, 10, 1998), Mdy(3, 9, 1998), true},   // clock set back
        {'M', Mdy(6, 1, 1998), Mdy(0, 0, 0), Mdy(5, 15, 1998), true},      // no launch recorded
        {'M', Mdy(6, 1, 1998), Mdy(13, 1, 1998), Mdy(6, 2, 1998), true},   // invalid last date
        {'D', Mdy(0, 0, 0), Mdy(3, 10, 1998), Mdy(3, 11, 1998), false},    // no start date
    };
    for (const Case &c : cases) {
        EXPECT_EQ(IsMIFDue(c.start, c.last, c.today, c.frequency), c.due) << "row " << &c - cases;
    }
}

TEST(MifDueTest, MonthPeriodsEndInsideTheDayNumberRange) {
    struct Case {
        PLVDate start, date;
        std::uint32_t months, periods;
    } cases[] = {
        {Mdy(1, 31, 1998), Mdy(3, 2, 1998), 1, 0},    {Mdy(1, 31, 1998), Mdy(3, 3, 1998), 1, 1},
        {Mdy(1, 1, 1980), Mdy(12, 31, 2045), 1, 791}, {Mdy(1, 1, 1980), Mdy(12, 31, 2045), 12, 65},
        {Mdy(12, 15, 2045), Mdy(12, 31, 2045), 1, 0},  // the next boundary lies past 2045
        {Mdy(1, 15, 2045), Mdy(12, 31, 2045), 12, 0}, {Mdy(1, 31, 2045), Mdy(12, 31, 2045), 1, 11},
        {Mdy(3, 1, 1998), Mdy(2, 1, 1998), 1, 0},   // date before the start
        {Mdy(3, 1, 1998), Mdy(2, 30, 2046), 1, 0},  // date outside the range
        {Mdy(13, 1, 1997), Mdy(3, 1, 1998), 1, 0},  // no such start date
    };
    for (const Case &c : cases) {
        EXPECT_EQ(CountMonthPeriods(c.start, c.date, c.months), c.periods) << "row " << &c - cases;
    }
}

class MifTriggerTest : public LibraryTest {
  protected:
    MifTriggerTest() {
        agent.optionFlags |= PLV_OPT_SMS_OUTPUT;
        agent.smsFrequency = 'M';
        agent.smsStartDate = Mdy(1, 1, 1998);
        Initialize();
        fake.started.clear();  // the 16-bit agent that start-up launched
        fake.SetLocalTime(1998, 3, 1, 10, 0, 0);
    }
};

TEST_F(MifTriggerTest, FailureIsLoggedOncePerLifetimeAndEachPeriodLaunchedOnce) {
    EXPECT_EQ(GenerateMIFIfNeeded(), 0);  // generator missing
    EXPECT_EQ(GenerateMIFIfNeeded(), 0);
    fake.files.files[kGenerator];
    fake.failProcessCreation = ERROR_ACCESS_DENIED;
    EXPECT_EQ(GenerateMIFIfNeeded(), 0);  // present but not startable
    EXPECT_THAT(PendingSummaries(runtime), ElementsAre(kFailed));
    EXPECT_EQ(fake.FindRegistryValue(kKey, "LastMIFDate"), nullptr);

    fake.failProcessCreation = 0;
    EXPECT_EQ(GenerateMIFIfNeeded(), 1);
    ASSERT_EQ(fake.started.size(), 1u);
    EXPECT_EQ(fake.started[0].creationFlags, NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(fake.started[0].startupFlags, STARTF_USESHOWWINDOW);
    EXPECT_EQ(fake.started[0].showWindow, SW_SHOWMINIMIZED);
    fake.SetLocalTime(1998, 3, 31, 10, 0, 0);  // the same period
    EXPECT_EQ(GenerateMIFIfNeeded(), 0);
    fake.SetLocalTime(1998, 4, 1, 10, 0, 0);
    EXPECT_EQ(GenerateMIFIfNeeded(), 1);
    agent.optionFlags &= ~PLV_OPT_SMS_OUTPUT;
    fake.SetLocalTime(1998, 5, 1, 10, 0, 0);
    EXPECT_EQ(GenerateMIFIfNeeded(), 0);
    EXPECT_THAT(PendingSummaries(runtime), ElementsAre(kFailed, kLaunched, kLaunched));
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

constexpr char kSettings[] = "F:\\PLV\\SYSTEM\\PLV.INI";

class SettingsRefreshTest : public LibraryTest {
  protected:
    SettingsRefreshTest() { Initialize(); }
    void WriteSettings(const std::string &content) {
        FakePlatform::File &file = fake.files.files[kSettings];
        file.data = "[Pelvantine]\r\n" + content;
        file.modified = fake.clock.now;
    }
};

TEST_F(SettingsRefreshTest, UnreachableFileIsANetworkFailureAfterTheFirstCheck) {
    EXPECT_EQ(CheckForPLVINIUpdate(), 0);  // first check: no file, no failure
    EXPECT_FALSE(core.networkFailure);
    fake.AdvanceSeconds(900);
    EXPECT_EQ(CheckForPLVINIUpdate(), 0);
    EXPECT_TRUE(core.networkFailure);
}

TEST_F(SettingsRefreshTest, SmsSettingsAreReadAsWritten) {
    struct Case {
        const char *content;  // null: no settings file
        bool smsOutput;
        char frequency;
        int month, day, year;
    } cases[] = {
        {"SMSOutput=yes\r\nSMSFrequency=weekly\r\nSMSStart=01/15/1998\r\n", true, 'W', 1, 15, 1998},
        {"SMSOutput=YES\r\nSMSFrequency=\r\nSMSStart=13/01/1998\r\n", false, 0, 13, 1, 1998},
        {"SMSOutput=YES\r\n", false, 'D', 0, 0, 0},
        {"SMSOutput=Yes please\r\nSMSFrequency=q\r\nSMSStart=1/5/1999\r\n", false, 'Q', 1, 5, 1999},
        {"SMSOutput=yes\r\nSMSStart=2/x3/1998\r\n", false, 'D', 2, 0, 1998},
        {"SMSOutput=yes\r\nSMSStart=01/15/19985\r\n", true, 'D', 1, 15, 1998},  // 10 characters
        {nullptr, false, 'D', 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.content ? c.content : "no file");
        fake.files.files.erase(kSettings);
        if (c.content) WriteSettings(c.content);
        agent.optionFlags |= PLV_OPT_SMS_OUTPUT;
        GetSMSSettings();
        EXPECT_EQ((agent.optionFlags & PLV_OPT_SMS_OUTPUT) != 0, c.smsOutput);
        EXPECT_EQ(int{agent.smsFrequency}, int{static_cast<unsigned char>(c.frequency)});
        EXPECT_EQ(int{agent.smsStartDate.month}, c.month);
        EXPECT_EQ(int{agent.smsStartDate.day}, c.day);
        EXPECT_EQ(int{agent.smsStartDate.year}, c.year);
    }
}

}  // namespace
}  // namespace plv::testing
