#include "usage/agent_events.h"

#include <map>
#include <string>

#include "support/library_test.h"

namespace plv::testing {
namespace {

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

class AgentEventTest : public LibraryTest {
  protected:
    AgentEventTest() {
        companion = Companion{};
        Initialize();
    }
};

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

TEST_F(AgentEventTest, OnlyTheDayOfTheMonthTellsANewDay) {
    fake.RegisterModule("PLVWSI32.DLL", {{"DoLastLogin", AsEntry(&DoLastLogin)}});
    fake.SetLocalTime(1998, 8, 5, 23, 0, 0);
    EXPECT_EQ(CheckForNewDay(&GenerateMIFIfNeeded), 1);
    fake.SetLocalTime(1998, 9, 5, 23, 1, 0);  // a month later, no cycle in between
    EXPECT_EQ(CheckForNewDay(&GenerateMIFIfNeeded), 1);
    fake.SetLocalTime(1998, 9, 6, 0, 0, 0);
    EXPECT_EQ(CheckForNewDay(&GenerateMIFIfNeeded), 1);
    EXPECT_EQ(companion.calls, 1);
}

}  // namespace
}  // namespace plv::testing
