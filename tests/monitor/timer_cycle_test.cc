#include "monitor/timer_cycle.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "monitor/metering_state.h"
#include "monitor/monitor_test.h"
#include "monitor/process_table.h"
#include "monitor/sixteen_bit.h"

namespace plv::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class TimerCycleTest : public MonitorTest {
  protected:
    TimerCycleTest() {
        agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
        StartProcess(0x120, "C:\\APPS\\EDITOR.EXE");
        OpenWindow(0x120, "Editor");
    }
    // Messages of the kind posted (or sent) to the host window.
    std::size_t HostMessages(UINT message, bool sent = false) {
        const auto &messages = (sent ? fake.messages.sent : fake.messages.posted)[fake.host.handle];
        return std::count_if(messages.begin(), messages.end(),
                             [message](const auto &m) { return m.message == message; });
    }
};

TEST_F(TimerCycleTest, ReentrantTickDoesNothingAndDeferredCloseComesOnce) {
    int reentrantCycles = 0;
    fake.duringEnumeration = [&] {
        const auto before = fake.ListBoxLines().size();
        Timer1_Timer(nullptr, WM_TIMER, 2, 0);  // dispatched inside the cycle
        reentrantCycles += fake.ListBoxLines().size() != before;
        EXPECT_EQ(DeferShutdown(1), 1);
    };
    Tick();
    EXPECT_EQ(reentrantCycles, 0);
    EXPECT_EQ(HostMessages(WM_CLOSE), 1u);
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE"));
    Tick();  // shutting down: nothing more
    EXPECT_EQ(HostMessages(WM_CLOSE), 1u);
}

TEST_F(TimerCycleTest, StartAndStopTimerAnswerWhetherTheTimerRan) {
    fake.timers.refuse = true;
    EXPECT_EQ(StartTimer(), 0);
    EXPECT_EQ(StopTimer(), 0);
    fake.timers.refuse = false;
    EXPECT_EQ(StartTimer(), 1);
    EXPECT_EQ(fake.timers.active.size(), 1u);
    EXPECT_EQ(StopTimer(), 1);
    EXPECT_TRUE(fake.timers.active.empty());
}

TEST_F(TimerCycleTest, SemaphoreHeldElsewhereSkipsTheWork) {
    agent.optionFlags |= PLV_OPT_SHARED_TIMER;
    metering.timerSemaphore = fake.CreateSemaphoreA(nullptr, 1, 1, "PLVTimerSemaphore");
    FakePlatform other;
    other.machine = fake.machine;
    HANDLE theirs = other.OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, "PLVTimerSemaphore");
    ASSERT_EQ(other.WaitForSingleObject(theirs, 0), WAIT_OBJECT_0);
    Tick();
    EXPECT_THAT(LogLines(), IsEmpty());
    EXPECT_EQ(TableSize(), 0u);
    EXPECT_EQ(fake.machine->semaphores["PLVTimerSemaphore"].count, 0);  // nothing released
    other.ReleaseSemaphore(theirs, 1, nullptr);
    Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE"));
    EXPECT_EQ(fake.machine->semaphores["PLVTimerSemaphore"].count, 1);  // taken and given back
}

TEST_F(TimerCycleTest, FailedSharedLogWriteIsReportedInTheSameCycle) {
    fake.files.driveTypes["F:\\"] = DRIVE_REMOTE;
    fake.files.openFaults["F:\\PLV\\LOGS\\19980820.LOG"] = {ERROR_NETNAME_DELETED, 1};
    Tick();
    EXPECT_EQ(HostMessages(PLV_MSG_NETWORK_FAILURE, true), 1u);
    EXPECT_THAT(TraceLines(), Contains(HasSubstr("Reporting network failure")));
    Tick();  // the next cycle tries again in full
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE"));
}

TEST_F(TimerCycleTest, ScanAbortSkipsRemovalAndIsClearedNextCycle) {
    Tick();
    EndProcess(0x120);
    StartProcess(0x121, "C:\\APPS\\OTHER.EXE");
    OpenWindow(0x121, "Other");
    PLVHookRecord abort{};
    abort.code = PLV_HOOK_ABORT_SCAN;
    const PLVCopyData descriptor{0, sizeof abort, &abort};
    fake.duringEnumeration = [&] { NotifyHook(0, &descriptor); };
    Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE"));  // no removal, no write
    Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE", "Initiated C:\\APPS\\OTHER.EXE",
                                            "Terminated C:\\APPS\\EDITOR.EXE"));
}

TEST_F(TimerCycleTest, TopParentClimbsVisibleParentsOnly) {
    HWND top = OpenWindow(1, "top"), middleHandle = OpenWindow(1, ""), leafHandle = OpenWindow(1, "");
    fake.FindWindow(middleHandle)->parent = top;
    fake.FindWindow(leafHandle)->parent = middleHandle;
    EXPECT_EQ(GetTopParent(leafHandle), top);
    fake.FindWindow(top)->visible = false;
    EXPECT_EQ(GetTopParent(leafHandle), middleHandle);
    EXPECT_EQ(GetTopParent(top), top);
}

// ---- the scan

constexpr char kEditor[] = "C:\\APPS\\EDITOR.EXE";

class ProcessScanTest : public MonitorTest {};

ProcessEntry *Entry(DWORD processId, DWORD threadId = 0) { return FindEntry(processId, threadId); }

// Whatever was found last, the table answers as a walk from its head would:
// the first entry of the process, or of the process and thread.
TEST_F(ProcessScanTest, TheTableAnswersAsAWalkFromItsHead) {
    const std::pair<DWORD, DWORD> kEntries[] = {{7, 0}, {5, 0x51}, {5, 0x52}, {6, 0}, {5, 0x53}};
    for (const auto &[process, thread] : kEntries) {
        ProcessEntry entry{};
        entry.processId = process;
        entry.threadId = thread;
        AppendEntry(entry);
    }
    const auto walked = [](DWORD process, DWORD thread) -> ProcessEntry * {
        for (auto *e = static_cast<ProcessEntry *>(processTable.head); e != nullptr;
             e = static_cast<ProcessEntry *>(e->next))
            if (e->processId == process && (thread == 0 || e->threadId == thread)) return e;
        return nullptr;
    };
    const std::pair<DWORD, DWORD> kQueries[] = {{5, 0}, {5, 0x52}, {5, 0x53}, {6, 0}, {7, 0}, {5, 0x54}, {8, 0}};
    for (const bool afterRemoval : {false, true}) {
        if (afterRemoval) RemoveEntry(FindEntry(7, 0), FindEntry(5, 0x51));
        for (const auto &[lastProcess, lastThread] : kQueries)
            for (const auto &[process, thread] : kQueries) {
                FindEntry(lastProcess, lastThread);
                EXPECT_EQ(FindEntry(process, thread), walked(process, thread))
                    << process << "/" << thread << " after " << lastProcess << "/" << lastThread;
            }
    }
}

// A process waits for a window, then for its title; the title that comes is
// the one identified, and the end of the process is traced with its window.
TEST_F(ProcessScanTest, ALaterWindowAndTitleAdmitTheWaitingProcessAndItsEndIsTraced) {
    PLVAppDefinition byTitle{};
    byTitle.kind = 2;
    std::strcpy(byTitle.titleText, "Report");
    PLVAppendToList(&runtime.definitions, &byTitle, sizeof byTitle);
    StartProcess(0x1A0, "C:\\APPS\\REPORTS.EXE");
    Tick();
    EXPECT_STREQ(Entry(0x1A0)->title, "(no window)");
    HWND window = OpenWindow(0x1A0, "");
    Tick();
    EXPECT_STREQ(Entry(0x1A0)->title, "(no title)");
    EXPECT_EQ(MeteredCount(), 0u);
    fake.FindWindow(window)->title = "Report";
    Tick();
    EXPECT_STREQ(Entry(0x1A0)->title, "Report");
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\REPORTS.EXE"));
    EndProcess(0x1A0);
    Tick();
    char removal[64];
    std::snprintf(removal, sizeof removal, "Process: Title = Report, ID = 1a0, hWnd = %x",
                  HandleNumber(window));
    EXPECT_THAT(TraceLines(), Contains(HasSubstr(removal)));
}

// A process without a window reaches the host's filters under the class
// "(no class)", so that it can be ignored by it.
TEST_F(ProcessScanTest, AWindowlessProcessIsFilteredUnderNoClass) {
    PLVTextListNode noClass{nullptr, "(no class)"};
    runtime.ignoredClasses = &noClass;
    StartProcess(0x1A0, kEditor);
    Tick();
    EXPECT_EQ(Entry(0x1A0)->flags & kEntryIgnored, kEntryIgnored);
}

// Each of the four ignore lists: a name that passed one list is checked
// against the next list the host hangs (a reload), and a name on the list
// stays ignored however often it is asked about.
TEST_F(ProcessScanTest, ANameThatPassedIsIgnoredOnceTheHostsNewListNamesIt) {
    const auto filtered = [](const char *program, const char *className) {
        PLVCandidate candidate{};
        std::snprintf(candidate.programPath, sizeof candidate.programPath, "C:\\APPS\\%s", program);
        std::snprintf(candidate.className, sizeof candidate.className, "%s", className);
        return IsFilteredApp(&candidate) != 0;
    };
    const auto asProgram = [&](const char *name) { return filtered(name, "EdWnd"); };
    const auto asClass = [&](const char *name) { return filtered("EDITOR.EXE", name); };
    const auto asDos = [](const char *name) {
        return IsDOSProgramIgnored((std::string("C:\\DOS\\") + name).c_str());
    };
    const auto as16Bit = [](const char *name) {
        return Is16BitProgramIgnored((std::string("C:\\WIN16\\") + name).c_str());
    };
    // Setters, not member pointers: the record is packed, its fields unaligned.
    using Hang = std::function<void(void *)>;
    const std::pair<Hang, std::function<bool(const char *)>> filters[] = {
        {[&](void *list) { runtime.ignoredPrograms = list; }, asProgram},
        {[&](void *list) { runtime.ignoredClasses = list; }, asClass},
        {[&](void *list) { runtime.ignoredDosPrograms = list; }, asDos},
        {[&](void *list) { runtime.ignored16BitPrograms = list; }, as16Bit}};
    for (const auto &[hang, ignores] : filters) {
        PLVTextListNode before{nullptr, "OTHER"}, after{nullptr, "LATER"};
        hang(&before);
        EXPECT_FALSE(ignores("LATER"));
        hang(&after);
        EXPECT_TRUE(ignores("LATER"));
        EXPECT_TRUE(ignores("LATER"));
        hang(nullptr);
    }
}

// A process whose path the process list cannot read stands as "(none)" and
// is not metered, window or not.
TEST_F(ProcessScanTest, AProcessWithoutAPathIsKeptOutUnderNone) {
    World().processes.push_back({0x1B0, "", false});
    OpenWindow(0x1B0, "Secret");
    Tick();
    ASSERT_NE(Entry(0x1B0), nullptr);
    EXPECT_STREQ(Entry(0x1B0)->programPath, "(none)");
    EXPECT_EQ(MeteredCount(), 0u);
}

// A title longer than the entry's field keeps the 63 characters it holds; a
// class is identified to its 128th.
TEST_F(ProcessScanTest, ALongTitleOrClassKeepsWhatItsFieldHolds) {
    PLVAppDefinition byClass{};
    byClass.kind = 2;
    std::strcpy(byClass.classText, "CZ");
    PLVAppendToList(&runtime.definitions, &byClass, sizeof byClass);
    StartProcess(0x1E0, kEditor);
    OpenWindow(0x1E0, std::string(70, 'T'), std::string(127, 'C') + "Z");
    Tick();
    EXPECT_EQ(std::string(Entry(0x1E0)->title), std::string(63, 'T'));
    EXPECT_EQ(MeteredCount(), 1u);
}

// A known program is examined afresh on each scan until it has a window, and
// metered by its short path.
TEST_F(ProcessScanTest, AKnownProgramWaitsOutsideTheTableAndIsMeteredByItsShortPath) {
    Define("WRITER.EXE");
    StartProcess(0x1C0, "C:\\PROGRAM FILES\\WRITER.EXE");
    fake.files.files["C:\\PROGRAM FILES\\WRITER.EXE"].shortPath = "C:\\PROGRA~1\\WRITER.EXE";
    Tick();
    EXPECT_EQ(Entry(0x1C0), nullptr);
    OpenWindow(0x1C0, "Writer");
    Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\PROGRA~1\\WRITER.EXE"));
}

// The short form is asked into 284 characters, its terminator included, so
// one of 284 characters stands as "(none)".
TEST_F(ProcessScanTest, AShortPathKeepsAt283CharactersAndStandsAsNoneAt284) {
    const std::pair<DWORD, std::size_t> kCases[] = {{0x1D0, 283}, {0x1D4, 284}};
    for (const auto &[id, length] : kCases) {
        const std::string path = "C:\\LONG" + std::to_string(length) + ".EXE";
        StartProcess(id, path);
        fake.files.files[path].shortPath = "C:\\" + std::string(length - 3, 'S');
        OpenWindow(id, "Long");
    }
    Tick();
    EXPECT_EQ(std::string(Entry(0x1D0)->programPath), "C:\\" + std::string(280, 'S'));
    EXPECT_STREQ(Entry(0x1D4)->programPath, "(none)");
}

// On Windows 95 the whole process list is walked, the agent's own process
// passed over.
class Windows95ScanTest : public MonitorTest {
  protected:
    Windows95ScanTest() : MonitorTest(VER_PLATFORM_WIN32_WINDOWS) {}
};

TEST_F(Windows95ScanTest, EveryProcessButTheAgentsIsExamined) {
    for (const char *name : {"HOST.EXE", "EDITOR.EXE", "CALC.EXE"}) Define(name);
    const std::pair<DWORD, const char *> kProcesses[] = {
        {0x10, kEditor}, {core.ownProcessId, "C:\\PLV\\HOST.EXE"}, {0x20, "C:\\APPS\\CALC.EXE"}};
    for (const auto &[id, path] : kProcesses) {
        StartProcess(id, path);
        OpenWindow(id, path);
    }
    Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\EDITOR.EXE", "Initiated C:\\APPS\\CALC.EXE"));
    EXPECT_EQ(Entry(0x10)->threadId, 0u);  // the list names no threads; traces show the process
}

// An ended process that was never metered leaves the table, so a later
// process given its id is examined as new.
TEST_F(ProcessScanTest, AnUnmeteredProcessLeavesTheTableAndItsIdServesAgain) {
    StartProcess(0x1B0, "C:\\APPS\\TOOL.EXE");
    OpenWindow(0x1B0, "Tool");
    Tick();
    EndProcess(0x1B0);
    Tick();
    EXPECT_EQ(TableSize(), 0u);
    Define("EDITOR.EXE");
    StartProcess(0x1B0, kEditor);
    OpenWindow(0x1B0, "Editor");
    Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre(std::string("Initiated ") + kEditor));
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

// ---- shutdown

class ShutdownTest : public TimerCycleTest {
  protected:
    ShutdownTest() {
        StartTimer();
        Tick();
    }
};

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
