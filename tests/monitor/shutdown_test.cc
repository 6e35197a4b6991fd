#include "monitor/metering_state.h"
#include "monitor/monitor_test.h"
#include "monitor/process_table.h"
#include "monitor/sixteen_bit.h"

namespace plv::testing {
namespace {

using ::testing::ElementsAre;

class ShutdownTest : public MonitorTest {
  protected:
    ShutdownTest() {
        agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
        StartProcess(0x120, "C:\\APPS\\EDITOR.EXE");
        OpenWindow(0x120, "Editor");
        StartTimer();
        Tick();
    }
};

TEST_F(ShutdownTest, ShutdownReleasesTheTableWithoutTerminatedEvents) {
    ASSERT_EQ(TableSize(), 1u);
    const int liveBefore = static_cast<int>(fake.heap.live.size());
    EXPECT_EQ(DLLShutdown(), 1);
    EXPECT_EQ(TableSize(), 0u);
    EXPECT_EQ(static_cast<int>(fake.heap.live.size()), liveBefore - 1);
    EXPECT_TRUE(fake.timers.active.empty());
    EXPECT_THAT(World().terminations, ElementsAre(std::pair<DWORD, DWORD>{0, 1}));
    EXPECT_EQ(World().listFrees, 1);
    Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE"));
}

TEST_F(ShutdownTest, ReleaseStopsAtABlockThatCannotBeReleased) {
    StartProcess(0x121, "C:\\APPS\\OTHER.EXE");
    Tick();
    fake.heap.refuseFree.insert(processTable.head);
    DLLShutdown();
    EXPECT_EQ(TableSize(), 2u);
}

TEST_F(ShutdownTest, DriverIsClosedOnceAndServiceUnregisteredOnlyWithoutTrace) {
    fake.devices["\\\\.\\PLVDOS"];
    metering.driver = fake.CreateFileA("\\\\.\\PLVDOS", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    fake.files.journal.clear();
    ShutdownVXD();
    ShutdownVXD();
    EXPECT_THAT(fake.files.journal, ElementsAre("close \\\\.\\PLVDOS"));

    static int calls;
    calls = 0;
    struct Kernel {
        static DWORD WINAPI RegisterServiceProcess(DWORD, DWORD type) {
            calls += type == 0;
            return 1;
        }
    };
    metering.registerServiceProcess = &Kernel::RegisterServiceProcess;
    core.platformCode = kPlatformWindows95;
    UnregisterService();  // the trace flag is set: the process stays registered
    EXPECT_EQ(calls, 0);
    agent.optionFlags &= ~PLV_OPT_TRACE;
    UnregisterService();
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace plv::testing
