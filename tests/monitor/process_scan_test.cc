#include <algorithm>

#include "monitor/monitor_test.h"
#include "monitor/process_table.h"
#include "usage/metered_apps.h"

namespace plv::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr char kEditor[] = "C:\\APPS\\EDITOR.EXE";

class ProcessScanTest : public MonitorTest {};

ProcessEntry *Entry(DWORD processId, DWORD threadId = 0) { return FindEntry(processId, threadId); }

TEST_F(ProcessScanTest, ApplicationIsMeteredFromStartToEndAndTraced) {
    Define("EDITOR.EXE");
    Tick();  // 09:15:03, nothing yet
    StartProcess(0x120, kEditor);
    HWND window = OpenWindow(0x120, "Untitled - Editor");
    Tick();  // 09:15:04: found, identified, admitted and logged
    EXPECT_THAT(
        LogLines(),
        ElementsAre("1998/08/20;09:15:04;WS-017;JDOE;SALES;;C:\\APPS\\EDITOR.EXE;Initiated;;;;;;"));
    char found[32], added[160];
    std::snprintf(found, sizeof found, "09:15:04 Found hWnd %04x", HandleNumber(window));
    std::snprintf(added, sizeof added,
                  "09:15:04    Process:  Title = Untitled - Editor, Path = C:\\APPS\\EDITOR.EXE, "
                  "ID = 120, hWnd = %i",
                  static_cast<int>(HandleNumber(window)));
    EXPECT_THAT(TraceLines(),
                ::testing::IsSupersetOf({std::string(found), std::string("09:15:04 Process added"),
                                         std::string(added)}));
    fake.AdvanceSeconds(3600);
    EndProcess(0x120);
    Tick();  // 10:15:05: gone, released with its start date and time
    EXPECT_THAT(LogLines(),
                ElementsAre(::testing::_, "1998/08/20;10:15:05;WS-017;JDOE;SALES;;C:\\APPS\\EDITOR.EXE;"
                                          "Terminated;;1998/08/20;09:15:04;0;0;"));
    EXPECT_EQ(MeteredCount(), 0u);
    EXPECT_EQ(TableSize(), 0u);
}

TEST_F(ProcessScanTest, UndefinedApplicationsAreMeteredOnlyWhenAsked) {
    StartProcess(0x130, "C:\\APPS\\GAME.EXE");
    OpenWindow(0x130, "Game");
    Tick();
    EXPECT_THAT(LogLines(), IsEmpty());
    ASSERT_NE(Entry(0x130), nullptr);  // kept in the table, unmetered
    EXPECT_EQ(static_cast<PLVMeteredApp *>(Entry(0x130)->meteredApp), nullptr);
    EndProcess(0x130);
    Tick();
    EXPECT_EQ(TableSize(), 0u);

    agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
    StartProcess(0x131, "C:\\APPS\\GAME.EXE");
    OpenWindow(0x131, "Game");
    Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\GAME.EXE"));
}

TEST_F(ProcessScanTest, WindowlessProcessWithoutDefinitionWaitsInTheTable) {
    agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
    StartProcess(0x140, kEditor);
    Tick();
    ASSERT_NE(Entry(0x140), nullptr);
    EXPECT_STREQ(Entry(0x140)->title, "(no window)");
    EXPECT_THAT(LogLines(), IsEmpty());
    HWND window = OpenWindow(0x140, "Report - Editor");
    fake.host.messages.clear();
    Tick();
    char line[96];
    std::snprintf(line, sizeof line, "09:15:04 Add title to window: <Report - Editor> ID = 00000140, hWnd = %04x",
                  HandleNumber(window));
    EXPECT_THAT(TraceLines(), Contains(line));
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE"));
}

TEST_F(ProcessScanTest, WindowlessKnownProgramIsLeftOutUntilItHasAWindow) {
    Define("EDITOR.EXE");
    StartProcess(0x150, kEditor);
    Tick();
    Tick();
    EXPECT_EQ(Entry(0x150), nullptr);  // examined afresh each tick
    OpenWindow(0x150, "Editor");
    Tick();
    ASSERT_NE(Entry(0x150), nullptr);
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE"));
}

TEST_F(ProcessScanTest, EmptyTitleIsAdmittedAsNoTitleAndNotLookedAtAgain) {
    Define("EDITOR.EXE");
    StartProcess(0x160, kEditor);
    HWND window = OpenWindow(0x160, "");
    Tick();
    ASSERT_NE(Entry(0x160), nullptr);
    EXPECT_STREQ(Entry(0x160)->title, "(no title)");
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE"));
    fake.FindWindow(window)->title = "Now titled";
    Tick();
    EXPECT_STREQ(Entry(0x160)->title, "(no title)");
    EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(ProcessScanTest, DestroyedWindowSendsTheEntryBackToSearching) {
    agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
    // A parentless window of an ignored class is never taken; the entry waits.
    PLVTextListNode ignored{nullptr, "Splash"};
    runtime.ignoredClasses = &ignored;
    StartProcess(0x170, kEditor);
    Tick();
    HWND window = OpenWindow(0x170, "", "Editor");
    Entry(0x170)->window = window;  // known by its window, still untitled
    fake.DestroyWindow(window);
    Tick();
    EXPECT_EQ(Entry(0x170)->window, nullptr);
    EXPECT_STREQ(Entry(0x170)->title, "(no window)");
    OpenWindow(0x170, "Editor again");
    Tick();
    EXPECT_STREQ(Entry(0x170)->title, "Editor again");
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE"));
    runtime.ignoredClasses = nullptr;
}

TEST_F(ProcessScanTest, MainWindowIsTheFirstVisibleParentlessOneOfAClassNotIgnored) {
    agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
    PLVTextListNode ignored{nullptr, "Splash"};
    runtime.ignoredClasses = &ignored;
    StartProcess(0x180, kEditor);
    HWND owner = OpenWindow(0x180, "Hidden", "EdWnd", false);
    OpenWindow(0x180, "Splash screen", "Splash");
    FakePlatform::Window child;
    child.processId = 0x180;
    child.threadId = 1;
    child.title = "Child";
    child.parent = owner;
    fake.AddWindow(child);
    HWND main = OpenWindow(0x180, "Main", "EdWnd");
    OpenWindow(0x180, "Second", "EdWnd");
    Tick();
    EXPECT_EQ(Entry(0x180)->window, main);

    StartProcess(0x181, "C:\\APPS\\TRAY.EXE");
    HWND invisible = OpenWindow(0x181, "Tray", "TrayWnd", false);
    Tick();
    EXPECT_EQ(Entry(0x181)->window, invisible);  // no visible one qualifies
    runtime.ignoredClasses = nullptr;
}

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

TEST_F(ProcessScanTest, UnreadableProcessIsIgnoredForGood) {
    agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
    StartProcess(0x1A0, "");
    Tick();
    ASSERT_NE(Entry(0x1A0), nullptr);
    EXPECT_STREQ(Entry(0x1A0)->programPath, "(none)");
    EXPECT_TRUE(Entry(0x1A0)->flags & kEntryIgnored);
    EXPECT_THAT(LogLines(), IsEmpty());
}

// A process list that cannot be had, an NT one or a Windows 95 snapshot,
// says nothing of which processes ended.
class FailedProcessList : public MonitorTest, public ::testing::WithParamInterface<DWORD> {
  protected:
    FailedProcessList() : MonitorTest(GetParam()) {}
};

TEST_P(FailedProcessList, EndsNoApplication) {
    agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
    StartProcess(0x1B0, kEditor);
    OpenWindow(0x1B0, "Editor");
    Tick();
    World().listFails = true;
    Tick();
    Tick();
    World().listFails = false;
    Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE"));
    EXPECT_EQ(MeteredCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(NtAndWindows95, FailedProcessList,
                         ::testing::Values(VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS));

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

TEST_F(ProcessScanTest, SteadyTableIsNotRewalked) {
    agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
    for (DWORD id = 0x200; id < 0x210; ++id) {
        StartProcess(id, "C:\\APPS\\P" + std::to_string(id) + ".EXE");
        OpenWindow(id, "W");
    }
    Tick();
    EXPECT_EQ(TableSize(), 16u);
    EXPECT_EQ(MeteredCount(), 16u);
    EndProcess(0x205);
    Tick();
    EXPECT_EQ(TableSize(), 15u);
    EXPECT_EQ(Entry(0x205), nullptr);
    EXPECT_NE(Entry(0x20F), nullptr);  // the index still finds the rest
    // Order is the order first met.
    std::vector<DWORD> order;
    for (void *node = processTable.head; node; node = static_cast<ProcessEntry *>(node)->next)
        order.push_back(static_cast<ProcessEntry *>(node)->processId);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

TEST_F(ProcessScanTest, RecordWithoutAnEntryIsReleasedWhenAnotherProcessEnds) {
    agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
    StartProcess(0x1C0, kEditor);
    OpenWindow(0x1C0, "Editor");
    StartProcess(0x1C1, "C:\\APPS\\OTHER.EXE");
    OpenWindow(0x1C1, "Other");
    Tick();
    // The host admits an application of a process the table does not know.
    HWND orphan = OpenWindow(0x999, "Orphan");
    ASSERT_NE(AuthorizeApp(orphan, 0, "C:\\APPS\\ORPHAN.EXE"), nullptr);
    EndProcess(0x1C1);
    Tick();
    EXPECT_THAT(LoggedEvents(), Contains("Terminated C:\\APPS\\ORPHAN.EXE"));
    EXPECT_THAT(LoggedEvents(), Contains("Terminated C:\\APPS\\OTHER.EXE"));
    EXPECT_EQ(MeteredCount(), 1u);
}

}  // namespace
}  // namespace plv::testing
