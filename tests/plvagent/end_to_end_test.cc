// The agent on a workstation: plvagent with a configuration and a
// definitions file, an X server, and real X clients that start and end.
// The day's log file tells what it saw.
#include <signal.h>
#include <stdlib.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "agent_process.h"
#include "agent_test_files.h"
#include "agent_world.h"
#include "support/child_process.h"
#include "support/x_test_client.h"
#include "support/xvfb_server.h"

namespace plvagent::testing {
namespace {

using namespace std::chrono_literals;
using Event = std::vector<std::string>;
using ::testing::Contains;
using ::testing::Each;
using ::testing::EndsWith;
using ::testing::Not;
using ::testing::SizeIs;

// Fields of an event line.
enum { kDate, kTime, kWorkstation, kUser, kContext, kSpare, kApplication, kEventText,
       kIdentifier, kStartDate, kStartTime };

// "YYYY/MM/DD" and "HH:MM:SS" as seconds since the epoch, in UTC.
long SecondsOf(const std::string &date, const std::string &time) {
    std::tm fields{};
    fields.tm_year = std::stoi(date.substr(0, 4)) - 1900;
    fields.tm_mon = std::stoi(date.substr(5, 2)) - 1;
    fields.tm_mday = std::stoi(date.substr(8, 2));
    fields.tm_hour = std::stoi(time.substr(0, 2));
    fields.tm_min = std::stoi(time.substr(3, 2));
    fields.tm_sec = std::stoi(time.substr(6, 2));
    return static_cast<long>(::timegm(&fields));
}

TEST(EndToEnd, MetersTheDefinedClientAndPassesOverTheIgnoredOne) {
    ASSERT_TRUE(ProcessListModuleIsBuilt());
    std::string whyNot;
    const std::unique_ptr<plv::testing::XvfbServer> server = plv::testing::XvfbServer::Start({}, whyNot);
    ASSERT_TRUE(server) << whyNot;
    ::setenv("DISPLAY", server->display().c_str(), 1);  // for the clients

    AgentWorld world;
    const std::string definitions = world.directory() + "/definitions.ini";
    WriteFile(definitions, "[Eyes]\nFileName = xeyes\nClass = XEyes\n");
    world.Configure("Workstation = WS-E2E\nUser = tester\nUserContext = QA\nDefinitions = " + definitions,
                    "[Options]\nTrace = yes\nUndefinedApplications = yes\nRecordDefinitions = yes\n"
                    "[Ignore]\nPrograms = xclock\n");
    AgentProcess agent = world.Agent("run");
    ASSERT_TRUE(agent.Prints("Process added")) << agent.Errors();

    {
        // An X client names its window's class only after creating it; the
        // agent waits while the clients start, so that a loaded machine
        // cannot show it a window before its class, which would make xeyes
        // an application no definition knows.
        agent.Signal(SIGSTOP);
        plv::testing::ChildProcess eyes({"/usr/bin/xeyes"});
        plv::testing::ChildProcess logo({"xlogo"});
        plv::testing::ChildProcess clock({"xclock"});
        plv::testing::XTestClient x(server->display());
        for (const char *windowClass : {"XEyes", "XLogo", "XClock"})
            ASSERT_NE(x.AwaitWindowOfClass(windowClass), 0u) << windowClass << " shows no window";
        agent.Signal(SIGCONT);
        ASSERT_TRUE(Eventually(
            [&] {
                return !world.Events("xeyes", "Initiated").empty() &&
                       !world.Events("xlogo", "Initiated").empty() &&
                       agent.Output().find("\\xclock,") != std::string::npos;
            },
            30s))
            << "the clients were not metered:\n" << agent.Errors() << agent.Output();
    }  // the clients end here

    ASSERT_TRUE(Eventually(
        [&] {
            return !world.Events("xeyes", "Terminated").empty() &&
                   !world.Events("xlogo", "Terminated").empty();
        },
        30s))
        << "the ends were not metered:\n" << agent.Errors() << agent.Output();
    agent.Signal(SIGTERM);
    ASSERT_EQ(agent.Wait(10s), 0) << agent.Errors();

    const std::vector<Event> initiated = world.Events("xeyes", "Initiated");
    const std::vector<Event> terminated = world.Events("xeyes", "Terminated");
    ASSERT_THAT(initiated, SizeIs(1));
    ASSERT_THAT(terminated, SizeIs(1));
    for (const Event *event : {&initiated[0], &terminated[0]}) {
        EXPECT_EQ((*event)[kApplication], "Z:\\usr\\bin\\xeyes");  // the program's path in DOS form
        EXPECT_EQ((*event)[kWorkstation], "WS-E2E");
        EXPECT_EQ((*event)[kUser], "tester");
        EXPECT_EQ((*event)[kContext], "QA");
        EXPECT_EQ((*event)[kIdentifier], "");
    }
    // "Terminated" carries the moment of admission. The "Initiated" event
    // takes its own reading of the clock just after, normally the same
    // second; a loaded machine may let the next one begin in between.
    const long admitted = SecondsOf(terminated[0][kStartDate], terminated[0][kStartTime]);
    const long stamped = SecondsOf(initiated[0][kDate], initiated[0][kTime]);
    EXPECT_GE(stamped - admitted, 0) << terminated[0][kStartTime] << " " << initiated[0][kTime];
    EXPECT_LE(stamped - admitted, 2) << terminated[0][kStartTime] << " " << initiated[0][kTime];

    EXPECT_THAT(world.Events("xlogo", "Terminated"), SizeIs(1)) << "metered without a definition";
    EXPECT_THAT(world.LogEvents(), Each(Not(Contains(EndsWith("\\xclock")))))
        << "the ignored program was metered";

    // Only the application no definition knew was recorded as a new one.
    std::vector<std::string> recorded;
    for (const std::string &line : world.DefinitionLines()) recorded.push_back(Fields(line).at(6));
    EXPECT_THAT(recorded, Contains("xlogo"));
    EXPECT_THAT(recorded, Not(Contains("xeyes")));
    EXPECT_THAT(recorded, Not(Contains("xclock")));
}

}  // namespace
}  // namespace plvagent::testing
