#include "settings/settings_refresh.h"

#include <string>

#include "core/library_state.h"
#include "support/library_test.h"

namespace plv::testing {
namespace {

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

TEST_F(SettingsRefreshTest, UpdateIntervalZeroMakesEveryCheckAFirstCheck) {
    agent.updateInterval = 0;
    for (int call = 0; call < 3; ++call) {
        WriteSettings("");
        EXPECT_EQ(CheckForPLVINIUpdate(), 0);
        fake.AdvanceSeconds(1);
    }
    fake.files.files.erase(kSettings);
    EXPECT_EQ(CheckForPLVINIUpdate(), 0);
    EXPECT_FALSE(core.networkFailure);
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
