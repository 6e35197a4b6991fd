#include "monitor/monitor_test.h"
#include "monitor/process_table.h"

namespace plv::testing {
namespace {

using ::testing::ElementsAre;

constexpr char kEditor[] = "C:\\APPS\\EDITOR.EXE";

class ProcessScanTest : public MonitorTest {};

ProcessEntry *Entry(DWORD processId, DWORD threadId = 0) { return FindEntry(processId, threadId); }

TEST_F(ProcessScanTest, IgnoreListsFoldCaseForProgramsButNotForClasses) {
    agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
    PLVTextListNode program{nullptr, "explorer.exe"};
    PLVTextListNode windowClass{nullptr, "Progman"};
    runtime.ignoredPrograms = &program;
    runtime.ignoredClasses = &windowClass;
    StartProcess(0x190, "C:\\WINDOWS\\EXPLORER.EXE");
    OpenWindow(0x190, "Desktop");
    StartProcess(0x191, "D:\\ELSEWHERE\\Explorer.exe");
    OpenWindow(0x191, "Other");
    StartProcess(0x192, "C:\\APPS\\SHELL.EXE");
    OpenWindow(0x192, "Shell", "PROGMAN");
    Tick();
    EXPECT_TRUE(Entry(0x190)->flags & kEntryIgnored);
    EXPECT_TRUE(Entry(0x191)->flags & kEntryIgnored);
    EXPECT_FALSE(Entry(0x192)->flags & kEntryIgnored);
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\SHELL.EXE"));
    runtime.ignoredPrograms = runtime.ignoredClasses = nullptr;
}

// GlobalFree may refuse the entry's block or the record's: either way the
// application ends once, and nothing of it is met again.
class RefusedRelease : public MonitorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RefusedRelease, EndsTheApplicationOnce) {
    const bool refuseRecord = GetParam();
    agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
    StartProcess(0x1D0, kEditor);
    OpenWindow(0x1D0, "Editor");
    Tick();
    ASSERT_NE(Entry(0x1D0), nullptr);
    fake.heap.refuseFree.insert(refuseRecord ? static_cast<HGLOBAL>(Entry(0x1D0)->meteredApp)
                                             : static_cast<HGLOBAL>(Entry(0x1D0)));
    EndProcess(0x1D0);
    for (int tick = 0; tick < 3; ++tick) Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre(std::string("Initiated ") + kEditor,
                                            std::string("Terminated ") + kEditor));
    EXPECT_EQ(Entry(0x1D0), nullptr);
    EXPECT_EQ(TableSize(), 0u);
    EXPECT_EQ(MeteredCount(), 0u);
    fake.heap.refuseFree.clear();
}

INSTANTIATE_TEST_SUITE_P(EntryOrRecord, RefusedRelease, ::testing::Bool());

}  // namespace
}  // namespace plv::testing
