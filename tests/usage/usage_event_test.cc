#include "usage/usage_event.h"

#include <cstring>
#include <string>

#include "support/library_test.h"

namespace plv::testing {
namespace {

class UsageEventTest : public LibraryTest {
  protected:
    UsageEventTest() { Initialize(); }

    static std::string Line(const PLVUsageEvent &event) {
        char line[kMaxEventLine + 1];
        const uint32_t length = BuildEventString(&event, line);
        EXPECT_EQ(length, std::strlen(line));
        return line;
    }
};

TEST_F(UsageEventTest, BuildEventClearsTheFieldsItDoesNotFill) {
    PLVUsageEvent event;
    std::memset(&event, 'x', sizeof event);
    event.flags = 0xF0F0F0F0;
    BuildEvent("Pelvantine", "Updated", "PLV.12", &event);
    EXPECT_EQ(Line(event), "1998/08/20;09:15:02;WS-017;JDOE;SALES;;Pelvantine;Updated;PLV.12;;;;;");
    EXPECT_EQ(std::uint32_t{event.flags}, 0xF0F0F0F0 & ~3u);  // meaningless bits left as found
}

TEST_F(UsageEventTest, FlagsFollowEventTextAndSmsOutput) {
    struct Case {
        const char *text;
        bool sms;
        std::uint32_t flags;
    };
    const Case cases[] = {
        {"Updated", false, 0},
        {"Updated", true, PLV_EVENT_WANTS_SMS_LOG},
        {"updated", false, PLV_EVENT_WANTS_SHARED_LOG},
        {"Initiated", true, PLV_EVENT_WANTS_SHARED_LOG | PLV_EVENT_WANTS_SMS_LOG},
    };
    for (const Case &c : cases) {
        agent.optionFlags = c.sms ? PLV_OPT_SMS_OUTPUT : 0;
        PLVUsageEvent event{};
        event.flags = 3;
        BuildEvent("app", c.text, "", &event);
        EXPECT_EQ(std::uint32_t{event.flags}, c.flags) << c.text << ' ' << c.sms;
    }
}

TEST_F(UsageEventTest, OverlongTextsAreCutToTheirFields) {
    std::memset(runtime.userName, 'U', 73);
    const std::string path = "C:\\" + std::string(100, 'P');
    PLVUsageEvent event{};
    BuildEvent(path.c_str(), std::string(80, 'E').c_str(), std::string(30, 'I').c_str(), &event);
    EXPECT_EQ(std::string(event.user), std::string(64, 'U'));
    EXPECT_EQ(std::string(event.application), path.substr(0, 63));
    EXPECT_EQ(std::string(event.eventText), std::string(50, 'E'));
    EXPECT_EQ(std::string(event.identifier), std::string(14, 'I'));
}

TEST_F(UsageEventTest, ALineOfFullFieldsIs422Characters) {
    PLVUsageEvent event{};
    auto fill = [](auto &field) {
        std::memset(field, 'a', sizeof field - 1);
        field[sizeof field - 1] = '\0';
    };
    fill(event.date), fill(event.time), fill(event.workstation), fill(event.user);
    fill(event.userContext), fill(event.spare1), fill(event.application), fill(event.eventText);
    fill(event.identifier), fill(event.startDate), fill(event.startTime), fill(event.count1);
    fill(event.count2), fill(event.spare2);
    EXPECT_EQ(Line(event).size(), 422u);
}

TEST_F(UsageEventTest, RebuildInvertsBuildAndEmptiesWhatAShortLineLacks) {
    const std::string full =
        "1998/08/20;17:40:11;WS-017;JDOE;SALES;s1;C:\\APPS\\EDITOR.EXE;Terminated;id;1998/08/20;"
        "09:15:02;0;0;s2";
    for (const auto &[line, expected] : {std::pair{full, full}, std::pair<std::string, std::string>{
                                             "a;b;c;d;e;f;g;h", "a;b;c;d;e;f;g;h;;;;;;"}}) {
        PLVUsageEvent event;
        std::memset(&event, 'x', sizeof event);
        RebuildEvent(line.c_str(), &event);
        EXPECT_EQ(Line(event), expected);
    }
}

TEST_F(UsageEventTest, RebuildCutsAnOverlongFieldWithoutShiftingTheNext) {
    const std::string line = "d;t;" + std::string(70, 'W') + ";USER;ctx";
    PLVUsageEvent event{};
    RebuildEvent(line.c_str(), &event);
    EXPECT_EQ(std::string(event.workstation), std::string(59, 'W'));
    EXPECT_STREQ(event.user, "USER");
    EXPECT_STREQ(event.userContext, "ctx");
}

TEST_F(UsageEventTest, RebuildSetsButNeverClearsTheSharedBitAndCopiesSms) {
    PLVUsageEvent event{};
    event.flags = PLV_EVENT_WANTS_SHARED_LOG | PLV_EVENT_WANTS_SMS_LOG;
    agent.optionFlags = 0;
    RebuildEvent("d;t;w;u;c;;app;Updated", &event);
    EXPECT_EQ(std::uint32_t{event.flags}, PLV_EVENT_WANTS_SHARED_LOG);
    event.flags = 0;
    agent.optionFlags = PLV_OPT_SMS_OUTPUT;
    RebuildEvent("d;t;w;u;c;;app;Initiated", &event);
    EXPECT_EQ(std::uint32_t{event.flags}, PLV_EVENT_WANTS_SHARED_LOG | PLV_EVENT_WANTS_SMS_LOG);
}

TEST_F(UsageEventTest, NoMemoryLosesTheEventQuietly) {
    fake.host.messages.clear();
    fake.heap.failNextAllocs = 1;
    EXPECT_EQ(PLVAddEvent("Initiated", "app", ""), 0);
    EXPECT_EQ(static_cast<void *>(runtime.pendingEvents), nullptr);
    EXPECT_TRUE(fake.ListBoxLines().empty());
}

}  // namespace
}  // namespace plv::testing
