// The daily companion as the library calls it: loaded by its DLL name, its
// one entry called with the agent-state block on the first cycle of a day.
#include <gmock/gmock.h>

#include "core/companions.h"
#include "platform/entry_point.h"
#include "platform/posix/posix_platform.h"
#include "support/library_test.h"
#include "support/pending_events.h"
#include "usage/agent_events.h"

namespace plv::testing {
namespace {

using ::testing::Contains;

class DailyCompanion : public LibraryTest {
  protected:
    DailyCompanion() : module(os.LoadLibraryA("PLVWSI32.DLL")) {
        if (module != nullptr) entry = os.GetProcAddress(module, "DoLastLogin");
    }
    ~DailyCompanion() override {
        if (module != nullptr) os.FreeLibrary(module);
    }

    posix::PosixPlatform os;
    HMODULE module;
    FARPROC entry = nullptr;
};

TEST_F(DailyCompanion, LetsTheDayGoOnAndTheFirstCycleOfEachDayLogsContinued) {
    ASSERT_NE(module, nullptr) << os.GetLastError();
    ASSERT_NE(entry, nullptr);
    const auto doLastLogin = EntryPoint<DoLastLoginFn>(entry);
    EXPECT_NE(doLastLogin(&agent), 0u);
    EXPECT_EQ(doLastLogin(nullptr), 0u);

    // The library, on a fake machine, finds the real module's entry.
    fake.RegisterModule("PLVWSI32.DLL", {{"DoLastLogin", entry}});
    agent.agentNumber = 12;
    Initialize();
    fake.SetLocalTime(1998, 8, 20, 23, 59, 59);
    for (int day = 21; day <= 22; ++day) {
        ASSERT_EQ(CheckForNewDay(&GenerateMIFIfNeeded), 1);  // the last second of the day before
        fake.AdvanceSeconds(1);
        ASSERT_EQ(CheckForNewDay(&GenerateMIFIfNeeded), 1);  // midnight
        EXPECT_THAT(PendingLines(runtime),
                    Contains("1998/08/" + std::to_string(day) +
                             ";00:00:00;WS-017;JDOE;SALES;;Pelvantine;Continued;PLV.12;;;;;"));
        fake.AdvanceSeconds(86399);
    }
    EXPECT_THAT(PendingLines(runtime), Contains(::testing::HasSubstr(";Continued;")).Times(2));
}

}  // namespace
}  // namespace plv::testing
