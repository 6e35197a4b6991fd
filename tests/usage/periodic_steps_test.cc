// The periodic work over many timer ticks: each tick runs the settings
// check, the periodic update, the day change and the writers in the timer
// cycle's order, then the clock moves on by a second.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "support/library_test.h"
#include "usage/agent_events.h"
#include "usage/definition_files.h"

namespace plv::testing {
namespace {

using ::testing::ElementsAre;

constexpr char kSettings[] = "F:\\PLV\\SYSTEM\\PLV.INI";

struct Companion {
    DWORD answer = 1;
    int calls = 0;
    void *agentSeen = nullptr;
} companion;

DWORD WINAPI DoLastLogin(void *agentState) {
    ++companion.calls;
    companion.agentSeen = agentState;
    return companion.answer;
}

class PeriodicStepsTest : public LibraryTest {
  protected:
    PeriodicStepsTest() {
        companion = Companion{};
        agent.agentNumber = 12;
        Initialize();
        fake.started.clear();  // the 16-bit agent that start-up launched
    }
    void Tick() {
        if (CheckForPLVINIUpdate() == 1) {
            EXPECT_EQ(GetNewPLVINISettings(), 1);  // always
            GenerateMIFIfNeeded();
        }
        if (LogUpdateIfDue() != 0 && CheckForNewDay(&GenerateMIFIfNeeded) != 0) {
            if (runtime.pendingEvents != nullptr) PLVUpdateLogs();
            if (runtime.pendingDefinitions != nullptr) UpdateAppDefs();
        }
        fake.AdvanceSeconds(1);
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) Tick();
    }
    void WriteSettings(const std::string &content) {
        FakePlatform::File &file = fake.files.files[kSettings];
        file.data = "[Pelvantine]\r\n" + content;
        file.modified = fake.clock.now;
    }
    // Lines of the events logged so far, as traced: "HH:MM:SS line".
    std::vector<std::string> Logged(const std::string &eventText) const {
        std::vector<std::string> lines;
        for (const std::string &line : fake.ListBoxLines()) {
            if (line.find(" Event: ") == 8 && line.find(";" + eventText + ";") != std::string::npos)
                lines.push_back(line.substr(16));
        }
        return lines;
    }
};

TEST_F(PeriodicStepsTest, SettingsChangeIsNoticedAfterTheUpdateIntervalOnceAndStartsTheGenerator) {
    constexpr char kGenerator[] = "F:\\PLV HOME\\SYSTEM\\PLVMIFG.EXE";
    std::strcpy(runtime.homePath, "F:\\PLV HOME");
    fake.files.directories.insert({"F:\\PLV HOME", "F:\\PLV HOME\\SYSTEM", "F:\\PLV HOME\\LOGS"});
    fake.files.files[kGenerator];
    WriteSettings("SMSOutput=NO\r\n");
    Tick();  // first check: remembers the file's time
    WriteSettings("SMSOutput=YES\r\nSMSFrequency=M\r\nSMSStart=01/01/1998\r\n");
    agent.refreshAction = 7;
    Ticks(899);
    EXPECT_EQ(agent.optionFlags & PLV_OPT_SMS_OUTPUT, 0u);

    Tick();  // 900 seconds after the first check
    EXPECT_NE(agent.optionFlags & PLV_OPT_SMS_OUTPUT, 0u);
    EXPECT_EQ(std::uint32_t{agent.refreshAction}, 0u);  // not set: 0
    ASSERT_EQ(fake.started.size(), 1u);
    // Started by its full path, quoted on the command line: the blank in the
    // path names no other program and shifts none of the dates.
    EXPECT_EQ(fake.started[0].applicationName, kGenerator);
    EXPECT_EQ(fake.started[0].commandLine, "\"" + std::string(kGenerator) + "\" 19980101 19980820");
    EXPECT_THAT(Logged("MIF Generator Launched"),
                ElementsAre("1998/08/20;09:30:02;WS-017;JDOE;SALES;;Pelvantine MIF Generator;"
                            "MIF Generator Launched;;;;;;"));
    EXPECT_EQ(fake.FindRegistryValue("SOFTWARE\\Valdrin Systems Corp.\\Pelvantine", "LastMIFDate")->data,
              std::string("08/20/1998\0", 11));

    agent.refreshAction = 5;
    Ticks(1800);  // no further change: nothing re-read
    EXPECT_EQ(std::uint32_t{agent.refreshAction}, 5u);
    WriteSettings("SMSOutput=YES\r\nSMSFrequency=M\r\nSMSStart=01/01/1998\r\nAgentRefreshAction=2\r\n");
    Ticks(900);
    EXPECT_EQ(std::uint32_t{agent.refreshAction}, 2u);
    EXPECT_EQ(fake.started.size(), 1u);  // the same period: no second launch
}

TEST_F(PeriodicStepsTest, UpdatedIsLoggedEveryUpdateInterval) {
    Ticks(2700);
    EXPECT_THAT(Logged("Updated"),
                ElementsAre("1998/08/20;09:30:01;WS-017;JDOE;SALES;;Pelvantine;Updated;PLV.12;;;;;",
                            "1998/08/20;09:45:01;WS-017;JDOE;SALES;;Pelvantine;Updated;PLV.12;;;;;",
                            "1998/08/20;10:00:01;WS-017;JDOE;SALES;;Pelvantine;Updated;PLV.12;;;;;"));
}

// The agent events one at a time.
using AgentEventTest = PeriodicStepsTest;

TEST_F(AgentEventTest, CountdownLeftAtZeroWraps) {
    agent.updateCountdown = 0;
    EXPECT_EQ(LogUpdateIfDue(), 1);
    EXPECT_EQ(std::uint32_t{agent.updateCountdown}, 4294967295u);
    EXPECT_EQ(static_cast<void *>(runtime.pendingEvents), nullptr);
}

TEST_F(AgentEventTest, DailyCompanionIsLoadedCalledWithTheAgentStateAndFreed) {
    struct Case {
        bool registered, hasEntry;
        DWORD answer;
        std::int32_t result;
    } cases[] = {{false, false, 1, 0}, {true, false, 1, 0}, {true, true, 0, 0}, {true, true, 7, 7}};
    for (const Case &c : cases) {
        FakePlatform world;
        SetPlatform(&world);
        companion = Companion{c.answer};
        std::map<std::string, FARPROC> entries;
        if (c.hasEntry) entries["DoLastLogin"] = AsEntry(&DoLastLogin);
        const HMODULE module = c.registered ? world.RegisterModule("PLVWSI32.DLL", entries) : nullptr;
        EXPECT_EQ(RunLastLogin(), c.result);
        EXPECT_EQ(companion.agentSeen, c.hasEntry ? &agent : nullptr);
        if (module != nullptr) {
            EXPECT_EQ(world.ModuleOf(module).loads, 1);
            EXPECT_EQ(world.ModuleOf(module).frees, 1);
        }
        SetPlatform(&fake);
    }
}

}  // namespace
}  // namespace plv::testing
