// The parts of the host's upkeep that need no running agent: session
// names, reload requests, message lines, the spool's text, what the backlog
// watch says, and which re-read settings wait for a restart.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "event_backlog.h"
#include "event_spool.h"
#include "host_system.h"
#include "messages.h"
#include "platform/win32_api.h"
#include "plvlib32.h"
#include "restart_settings.h"
#include "session.h"
#include "support/host_files.h"
#include "support/temporary_directory.h"

namespace plvagent::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(SessionName, KeysTheHostAndTheDisplayButNotItsScreen) {
    const struct {
        const char *host, *display, *name;
    } kCases[] = {
        {"ws017", ":0", "ws017-0"},
        {"ws017", ":0.1", "ws017-0"},
        {"ws017", ":12", "ws017-12"},
        {"ws017", "", "ws017"},
        {"ws017", "tc5:10.0", "ws017-tc5_10"},
        {"ws/017", "../:1", "ws_017-..__1"},
        {"az-AZ.09_", ":0", "az-AZ.09_-0"},
    };
    for (const auto &c : kCases) EXPECT_EQ(SessionName(c.host, c.display), c.name) << c.display;
}

constexpr std::uint32_t kShared = PLV_EVENT_WANTS_SHARED_LOG;
constexpr std::uint32_t kSms = PLV_EVENT_WANTS_SMS_LOG;

// However many hangups came between two cycles, the next cycle reloads once.
TEST(ReloadRequest, IsAnsweredOnce) {
    host::CatchReloadRequests();
    EXPECT_FALSE(host::TakeReloadRequest());
    std::raise(SIGHUP);
    std::raise(SIGHUP);
    EXPECT_TRUE(host::TakeReloadRequest());
    EXPECT_FALSE(host::TakeReloadRequest());
}

TEST(EventSpool, WritesOneLinePerEventWithTheLogsItStillWants) {
    const std::vector<SpooledEvent> events = {
        {kShared, "1998/08/20;09:15:02;WS-017;JDOE;SALES;;Z:\\usr\\bin\\xeyes;Initiated;;;;;;"},
        {kSms | kShared, "a;b"},
        {kSms, "100%\nnew\tline\x7f\x10"},
    };
    EXPECT_EQ(SpoolText(events),
              "# plvagent pending events: the logs each still wants, a tab, its event line\n"
              "shared\t1998/08/20;09:15:02;WS-017;JDOE;SALES;;Z:\\usr\\bin\\xeyes;Initiated;;;;;;\n"
              "shared+sms\ta;b\n"
              "sms\t100%25%0Anew%09line%7F%10\n");
    std::vector<std::string> bad;
    const std::vector<SpooledEvent> read = ParseSpool(SpoolText(events), &bad);
    ASSERT_EQ(read.size(), events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(read[i].destinations, events[i].destinations);
        EXPECT_EQ(read[i].line, events[i].line);
    }
    EXPECT_TRUE(bad.empty());
}

TEST(EventSpool, NamesTheLinesThatAreNoEventAndKeepsTheOthers) {
    std::vector<std::string> bad;
    const auto read = ParseSpool(
        "# heading\nshared\tgood\n\nboth\tx\nshared no tab\nsms\tcut %4\n"
        "sms\tnul %00\nsms\traw\ttab\nshared\tlast\n",
        &bad);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].line, "good");
    EXPECT_EQ(read[1].line, "last");
    EXPECT_THAT(bad, ElementsAre("line 4 is no spooled event", "line 5 is no spooled event",
                                 "line 6 is no spooled event", "line 7 is no spooled event",
                                 "line 8 is no spooled event"));
}

std::ptrdiff_t OpenDescriptors() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

// A full disk fails the write: said, and the spool as it was stays whole
// until a later cycle can write it; so is a spool that cannot be removed. No
// write leaves a descriptor open.
TEST(EventSpool, AFailedWriteIsSaidAndLeavesTheLastSpoolWhole) {
    const std::ptrdiff_t descriptors = OpenDescriptors();
    plv::testing::TemporaryDirectory directory;
    const std::string path = directory / "pending.events";
    EventSpool spool(path);
    std::string why;
    ASSERT_TRUE(spool.Keep({{kShared, "first"}}, &why)) << why;
    // The events name users: only the agent's own user reads them.
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ASSERT_EQ(::symlink("/dev/full", (path + ".new").c_str()), 0);
    EXPECT_FALSE(spool.Keep({{kShared, "second"}}, &why));
    EXPECT_THAT(why, HasSubstr("No space left on device"));
    EXPECT_EQ(plv::testing::ReadHostFile(path), SpoolText({{kShared, "first"}}));
    ASSERT_TRUE(spool.Keep({{kShared, "second"}}, &why)) << why;
    EXPECT_EQ(plv::testing::ReadHostFile(path), SpoolText({{kShared, "second"}}));
    // With nothing pending the spool goes; a spool that cannot go is named.
    std::filesystem::create_directories(directory / "stuck/inside");
    EventSpool stuck(directory / "stuck");
    EXPECT_FALSE(stuck.Keep({}, &why));
    EXPECT_EQ(why, directory / "stuck: Directory not empty");
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

// A lost network is said once, however many cycles meet it, and anew only
// after a cycle that neither meets it nor holds an event.
TEST(BacklogWatch, SaysALostNetworkOnceUntilACycleIsClear) {
    constexpr char kSaid[] =
        "network failure: \\\\SERVER\\PLV cannot be reached (the network share "
        "is no longer available); metering goes on and tries again";
    BacklogWatch watch("\\\\SERVER\\PLV");
    const struct {
        bool lost;
        std::size_t held;
        bool said;
    } kCycles[] = {{true, 0, true},  {true, 0, false},  {false, 1, false},
                   {true, 1, false}, {false, 0, false}, {true, 2, true}};
    for (const auto &cycle : kCycles) {
        if (cycle.lost) watch.NoteNetworkFailure();
        std::vector<std::string> said;
        for (const Report &report : watch.AfterCycle(cycle.held, ERROR_NETNAME_DELETED)) {
            if (report.text.starts_with("network failure: ")) said.push_back(report.text);
        }
        EXPECT_EQ(said, cycle.said ? std::vector<std::string>{kSaid} : std::vector<std::string>{})
            << "cycle " << &cycle - kCycles;
    }
}

}  // namespace
}  // namespace plvagent::testing
