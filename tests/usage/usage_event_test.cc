#include "usage/usage_event.h"

#include <cstring>
#include <string>

#include "support/library_test.h"
#include "support/pending_events.h"
#include "usage/metered_apps.h"

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

TEST_F(UsageEventTest, NoMemoryLosesTheEventQuietly) {
    fake.host.messages.clear();
    fake.heap.failNextAllocs = 1;
    EXPECT_EQ(PLVAddEvent("Initiated", "app", ""), 0);
    EXPECT_EQ(static_cast<void *>(runtime.pendingEvents), nullptr);
    EXPECT_TRUE(fake.ListBoxLines().empty());
}

// ---- the metered applications, whose admission and end are events

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kEditor[] = "C:\\APPS\\EDITOR.EXE";
constexpr char kWriter[] = "C:\\APPS\\WRITER.EXE";

std::string Line(const char *time, const char *application, const char *event,
                 const char *tail = ";;;;;") {
    return std::string("1998/08/20;") + time + ";WS-017;JDOE;SALES;;" + application + ";" + event +
           ";" + tail;
}

class MeteredAppsTest : public LibraryTest {
  protected:
    MeteredAppsTest() {
        agent.optionFlags = 0;
        Initialize();
    }

    HWND Window(DWORD processId, DWORD threadId) {
        FakePlatform::Window window;
        window.processId = processId;
        window.threadId = threadId;
        return fake.AddWindow(window);
    }

    std::vector<PLVMeteredApp *> Records() const {
        std::vector<PLVMeteredApp *> records;
        for (auto *app = static_cast<PLVMeteredApp *>(runtime.meteredApps); app != nullptr;
             app = static_cast<PLVMeteredApp *>(app->next))
            records.push_back(app);
        return records;
    }

    std::vector<std::string> Lines() const { return PendingLines(runtime); }
};

TEST_F(MeteredAppsTest, AdmissionFillsTheRecordAndLogsInitiated) {
    const HWND window = Window(0x310, 0x311);
    PLVMeteredApp *app = AuthorizeApp(window, 0, kEditor);
    ASSERT_NE(app, nullptr);
    EXPECT_THAT(Records(), ElementsAre(app));

    EXPECT_EQ(app->window, window);
    EXPECT_STREQ(app->applicationName, kEditor);
    EXPECT_EQ(std::uint32_t{app->processId}, 0x310u);
    EXPECT_EQ(std::uint32_t{app->threadId}, 0x311u);
    EXPECT_EQ(app->activityStatus, 'I');
    EXPECT_EQ(std::uint32_t{app->reserved1[0]} | app->reserved1[1] | app->reserved2[0] |
                  app->reserved2[1] | app->reserved2[2] | app->reserved2[3],
              0u);
    // The start and the zero counters show in the "Terminated" line of the rename test.
    EXPECT_EQ(std::uint32_t{app->updateInterval}, 15u * 60);
    EXPECT_EQ(std::uint32_t{app->flags}, PLV_APP_METERED);

    EXPECT_THAT(Lines(), ElementsAre(Line("09:15:02", kEditor, "Initiated")));
}

// A name is kept, and compared, as the record's field holds it.
TEST_F(MeteredAppsTest, ANameIsCutToItsFieldBeforeItIsKeptOrCompared) {
    const HWND window = Window(0x310, 0x311);
    const std::string fits(63, 'N');
    PLVMeteredApp *app = AuthorizeApp(window, 0, (fits + "TAIL").c_str());
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(std::string(app->applicationName), fits);
    EXPECT_EQ(AuthorizeApp(window, 0, (fits + "OTHER").c_str()), app);
    EXPECT_THAT(Lines(), ElementsAre(Line("09:15:02", fits.c_str(), "Initiated")));
}

TEST_F(MeteredAppsTest, RenameEndsTheOldNameAndTheLaterEndKeepsTheFirstStart) {
    const HWND window = Window(0x310, 0x311);
    PLVMeteredApp *app = AuthorizeApp(window, 0, kEditor);
    fake.AdvanceSeconds(60);
    EXPECT_EQ(AuthorizeApp(window, 0, kWriter), app);
    EXPECT_STREQ(app->applicationName, kWriter);
    EXPECT_EQ(AuthorizeApp(window, 0, kWriter), app);  // the same name again: nothing to log
    EXPECT_EQ(Records().size(), 1u);

    fake.SetLocalTime(1998, 8, 20, 17, 40, 11);
    EXPECT_EQ(PLVRemoveApp(app), 1);
    EXPECT_EQ(PLVRemoveApp(nullptr), 0);  // no record: nothing is ended or logged
    EXPECT_THAT(Records(), IsEmpty());
    EXPECT_THAT(Lines(),
                ElementsAre(Line("09:15:02", kEditor, "Initiated"),
                            Line("09:16:02", kEditor, "Terminated"),
                            Line("09:16:02", kWriter, "Initiated"),
                            Line("17:40:11", kWriter, "Terminated", ";1998/08/20;09:15:02;0;0;")));
}

TEST_F(MeteredAppsTest, EveryDosAdmissionGetsARecordOfItsOwn) {
    const HWND dosBox = Window(0x400, 0x401);
    PLVMeteredApp *first = AuthorizeApp(dosBox, 1, "C:\\DOS\\EDIT.COM");
    PLVMeteredApp *second = AuthorizeApp(dosBox, 1, "C:\\DOS\\EDIT.COM");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(std::uint32_t{first->flags}, PLV_APP_METERED | PLV_APP_DOS);
    // A window of the same thread is never taken for a DOS application's record.
    PLVMeteredApp *windows = AuthorizeApp(dosBox, 0, "C:\\DOS\\EDIT.COM");
    EXPECT_NE(windows, first);
    EXPECT_NE(windows, second);
    EXPECT_EQ(std::uint32_t{windows->flags}, PLV_APP_METERED);
    EXPECT_EQ(Lines().size(), 3u);
    // Only bit 0 of the flag marks DOS; bit 1 alone means no search.
    PLVMeteredApp *other = AuthorizeApp(dosBox, 2, "C:\\DOS\\EDIT.COM");
    EXPECT_NE(other, windows);
    EXPECT_EQ(std::uint32_t{other->flags}, PLV_APP_METERED);
    EXPECT_EQ(std::uint32_t{AuthorizeApp(dosBox, 3, "X")->flags}, PLV_APP_METERED | PLV_APP_DOS);
}

}  // namespace
}  // namespace plv::testing
