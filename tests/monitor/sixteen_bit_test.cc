#include <cstring>
#include <string>

#include "monitor/metering_state.h"
#include "monitor/monitor_test.h"
#include "monitor/process_table.h"
#include "monitor/sixteen_bit.h"
#include "monitor/sixteen_bit_agent.h"
#include "support/pending_events.h"

namespace plv::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class SixteenBitTest : public MonitorTest {
  protected:
    SixteenBitTest() { agent.optionFlags |= PLV_OPT_UNDEFINED_APPS; }
};

// Another process holds the start semaphore throughout: its creation failing
// because it exists opens it, any other refusal fails the start.
TEST_F(SixteenBitTest, TheTrackerStartsHiddenAndFailedStartsAreLoggedAndSwitchTrackingOff) {
    constexpr char kStart[] = "PLVStartSemaphore";
    FakePlatform peer;
    peer.machine = fake.machine;
    ASSERT_NE(peer.CreateSemaphoreA(nullptr, 0, 1, kStart), nullptr);
    fake.semaphores.createFaults[kStart] = {ERROR_ALREADY_EXISTS};
    EXPECT_TRUE(StartSixteenBitAgent());
    EXPECT_THAT(fake.semaphores.journal, Contains(std::string("open ") + kStart));
    // Hidden, at high priority, its whole path quoted before its argument.
    ASSERT_FALSE(fake.started.empty());
    const auto &started = fake.started.back();
    EXPECT_EQ(started.applicationName, "C:\\PLV\\PLVWOW16.EXE");
    EXPECT_EQ(started.commandLine, "\"C:\\PLV\\PLVWOW16.EXE\" C:\\PLV");
    EXPECT_EQ(started.creationFlags, DWORD{HIGH_PRIORITY_CLASS});
    EXPECT_EQ(started.startupFlags, DWORD{STARTF_USESHOWWINDOW});
    EXPECT_EQ(started.showWindow, SW_HIDE);
    struct Case {
        std::function<void()> breakIt;
        const char *component;
    };
    const Case cases[] = {
        {[&] { fake.failProcessCreation = ERROR_FILE_NOT_FOUND; }, "PLVWOW16.EXE"},
        {[&] { World().agentReady = FALSE; }, "PLVWOW16.EXE"},
        {[&] { fake.semaphores.createFaults[kStart] = {ERROR_ACCESS_DENIED}; }, "Rd Semaphore"},
        {[&] { fake.ModuleOf(fake.LoadLibraryA("PLVWOW32.DLL")).entries.erase("GetNext16BitTask"); },
         "PLVWOW32.DLL"},  // last: the module stays broken
    };
    for (const Case &c : cases) {
        fake.failProcessCreation = 0;
        World().agentReady = TRUE;
        ResetSixteenBitState();
        runtime.pendingEvents = nullptr;
        c.breakIt();
        EXPECT_FALSE(StartSixteenBitAgent()) << c.component;
        EXPECT_EQ(sixteenBit.getNext16BitTask, nullptr);
        EXPECT_THAT(PendingSummaries(runtime),
                    ElementsAre(std::string("Initialization Failure|Pelvantine|") + c.component));
    }
}

TEST_F(SixteenBitTest, TasksOfAVirtualDosMachineBecomeEntriesFromTheNextScan) {
    StartProcess(0x300, "C:\\WINNT\\SYSTEM32\\NTVDM.EXE", true);
    World().tasks[0x300] = {{"C:\\WIN16\\CALC.EXE", 0x11}, {"C:\\WIN16\\WRITE.EXE", 0x12}};
    fake.files.files["C:\\WIN16\\CALC.EXE"];
    fake.files.files["C:\\WIN16\\WRITE.EXE"];
    fake.files.directories.insert("C:\\WIN16");
    OpenWindow(0x300, "Calculator", "SciCalc", true, 0x11);
    Tick();
    EXPECT_EQ(TableSize(), 1u);  // the machine alone
    EXPECT_THAT(LogLines(), IsEmpty());
    Tick();
    ASSERT_NE(FindEntry(0x300, 0x11), nullptr);
    ASSERT_NE(FindEntry(0x300, 0x12), nullptr);
    EXPECT_EQ(DisplayId(0x300, 0x11), 0x03000011u);
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\WIN16\\CALC.EXE"));
    World().tasks[0x300].erase(World().tasks[0x300].begin());
    Tick();
    EXPECT_EQ(FindEntry(0x300, 0x11), nullptr);
    EXPECT_THAT(LoggedEvents(), Contains("Terminated C:\\WIN16\\CALC.EXE"));
}

// A machine without tasks is asked to end, unless the tracker leaves no
// thread behind or it is the 16-bit agent's own; shutdown ends the agent.
TEST_F(SixteenBitTest, AnEmptyMachineIsAskedToEndAndShutdownEndsTheAgent) {
    using Call = std::pair<DWORD, DWORD>;
    for (DWORD machine : {0x300, 0x310, 0x320}) StartProcess(machine, "C:\\WINNT\\NTVDM.EXE", true);
    World().tasks[0x310] = {{"C:\\WIN16\\CALC.EXE", 0x11}};
    fake.files.files["C:\\WIN16\\CALC.EXE"];
    sixteenBit.agentProcessId = 0x320;
    Tick();  // the machines are met
    Tick();  // and their tasks asked for
    EXPECT_THAT(World().terminations, ElementsAre(Call{0x300, 0}));
    World().terminations.clear();
    World().threadIdWhenNoTask = 0;
    Tick();
    EXPECT_THAT(World().terminations, IsEmpty());
    EXPECT_EQ(DLLShutdown(), 1);
    EXPECT_THAT(World().terminations, ElementsAre(Call{0, 1}));
    EXPECT_EQ(processTable.head, nullptr);  // every entry released
}

TEST_F(SixteenBitTest, IgnoredSixteenBitProgramsGetNoEntry) {
    PLVTextListNode ignored{nullptr, "krnl386.exe"};
    runtime.ignored16BitPrograms = &ignored;
    StartProcess(0x320, "C:\\WINNT\\SYSTEM32\\NTVDM.EXE", true);
    World().tasks[0x320] = {{"C:\\WINNT\\SYSTEM\\KRNL386.EXE", 0x21}};
    Tick();
    Tick();
    EXPECT_EQ(FindEntry(0x320, 0x21), nullptr);
    runtime.ignored16BitPrograms = nullptr;
}

class DosBoxTest : public MonitorTest {
  protected:
    DosBoxTest() : MonitorTest(VER_PLATFORM_WIN32_WINDOWS) {
        agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
        fake.devices["\\\\.\\PLVDOS"];
        metering.driver = fake.CreateFileA("\\\\.\\PLVDOS", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        // Hosts keep the DOS box host itself off the list of applications.
        runtime.ignoredPrograms = &ignoredHost;
        StartProcess(0x400, "C:\\WINDOWS\\SYSTEM\\WINOA386.MOD");
        box = OpenWindow(0x400, "MS-DOS Prompt", "tty");
        runtime.ignoredDosPrograms = &ignoredDos;
        for (const char *path : {"C:\\DOS\\EDIT.COM", "C:\\DOS\\QBASIC.EXE", "C:\\COMMAND.COM"})
            fake.files.files[path];
        fake.files.directories.insert("C:\\DOS");
        Tick();  // the box's host process is in the table
    }
    ~DosBoxTest() override { runtime.ignoredDosPrograms = runtime.ignoredPrograms = nullptr; }
    int Check(const char *path, HWND inBox = nullptr) {
        char buffer[300] = {};
        std::strcpy(buffer, path);
        PLVHWND window = inBox != nullptr ? inBox : box;
        return CheckDOSApp(&window, buffer);
    }
    std::size_t Answers() const { return fake.devices.at("\\\\.\\PLVDOS").controls.size(); }

    HWND box = nullptr;
    PLVTextListNode ignoredHost{nullptr, "WINOA386.MOD"};
    PLVTextListNode ignoredDos{nullptr, "command.com"};
};

TEST_F(DosBoxTest, TwoProgramsInOneBoxAreMeteredApartAndEndedLastFirst) {
    EXPECT_EQ(Check("C:\\DOS\\EDIT.COM"), TRUE);
    Check("C:\\DOS\\QBASIC.EXE");
    EXPECT_EQ(MeteredCount(), 2u);
    EXPECT_NE(static_cast<PLVMeteredApp *>(FindEntry(0x400, 0)->meteredApp), nullptr);
    // A windowed program admitted since comes before them, and is passed over.
    fake.files.files["C:\\APPS\\CALC.EXE"];
    StartProcess(0x500, "C:\\APPS\\CALC.EXE");
    OpenWindow(0x500, "Calculator", "SciCalc");
    Tick();
    RemoveDOSApp(box);  // the most recently admitted goes first
    Tick();
    EXPECT_THAT(LoggedEvents(),
                ElementsAre("Initiated C:\\DOS\\EDIT.COM", "Initiated C:\\DOS\\QBASIC.EXE",
                            "Initiated C:\\APPS\\CALC.EXE", "Terminated C:\\DOS\\QBASIC.EXE"));
    EXPECT_EQ(static_cast<PLVMeteredApp *>(FindEntry(0x400, 0)->meteredApp), nullptr);
    const auto answer = fake.devices.at("\\\\.\\PLVDOS").controls.back();
    EXPECT_EQ(answer.first, 3u);
    EXPECT_EQ(answer.second, std::string(4, '\0'));
}

// A box's programs run until that box ends, whatever ends before it,
// another box included.
TEST_F(DosBoxTest, EndOfTheBoxEndsEveryProgramInItOnce) {
    Check("C:\\DOS\\EDIT.COM");
    Check("C:\\DOS\\QBASIC.EXE");
    StartProcess(0x410, "C:\\WINDOWS\\SYSTEM\\WINOA386.MOD");
    const HWND other = OpenWindow(0x410, "MS-DOS Prompt", "tty");
    Tick();
    fake.files.files["C:\\DOS\\DEBUG.EXE"];
    Check("C:\\DOS\\DEBUG.EXE", other);
    EndProcess(0x410);
    Tick();
    EXPECT_THAT(LoggedEvents(), Contains("Terminated C:\\DOS\\DEBUG.EXE"));
    EXPECT_EQ(MeteredCount(), 2u);
    EndProcess(0x400);
    Tick();
    const auto events = LoggedEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(), "Terminated C:\\DOS\\EDIT.COM"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "Terminated C:\\DOS\\QBASIC.EXE"), 1);
    EXPECT_EQ(MeteredCount(), 0u);
    EXPECT_EQ(TableSize(), 0u);
}

class HookTest : public MonitorTest {
  protected:
    explicit HookTest(DWORD platformId = VER_PLATFORM_WIN32_NT) : MonitorTest(platformId) {
        agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
    }
    void Notify(const PLVHookRecord &record, uint32_t byteCount = sizeof(PLVHookRecord)) {
        const PLVCopyData descriptor{0, byteCount, &record};
        EXPECT_EQ(NotifyHook(0, &descriptor), 0);
    }
    PLVHookRecord Created(HWND window, const char *path, uint32_t is16Bit = 0) {
        PLVHookRecord record{};
        record.code = PLV_HOOK_WINDOW_CREATED;
        record.window = window;
        std::strcpy(record.title, "Title");
        std::strcpy(record.className, "Cls");
        std::strcpy(record.programPath, path);
        record.is16Bit = is16Bit;
        return record;
    }
};

TEST_F(HookTest, UnknownApplicationIsAdmittedAtOnceAndOnlyOnceButUserExeNever) {
    fake.files.files["C:\\WINDOWS\\SYSTEM\\user.exe"];
    Notify(Created(OpenWindow(0x520, "Program Manager"), "C:\\WINDOWS\\SYSTEM\\user.exe"));
    EXPECT_EQ(MeteredCount(), 0u);
    StartProcess(0x500, "C:\\APPS\\NEW.EXE");
    Tick();  // windowless: in the table
    HWND window = OpenWindow(0x500, "New");
    // No descriptor, no record, or less than a whole one: ignored.
    const PLVHookRecord record = Created(window, "C:\\APPS\\NEW.EXE");
    EXPECT_EQ(NotifyHook(0, nullptr), 0);
    const PLVCopyData noRecord{0, sizeof record, nullptr};
    EXPECT_EQ(NotifyHook(0, &noRecord), 0);
    Notify(record, sizeof record - 1);
    EXPECT_EQ(MeteredCount(), 0u);
    Notify(record);
    EXPECT_EQ(MeteredCount(), 1u);
    EXPECT_EQ(FindEntry(0x500, 0)->window, window);
    // Held by its entry, so that no removal takes it for an orphan.
    EXPECT_EQ(FindEntry(0x500, 0)->meteredApp, static_cast<PLVMeteredApp *>(runtime.meteredApps));
    Notify(record);
    Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\NEW.EXE"));
}

// A window admitted by a notification for a process the scan never kept is
// ended with the next removal, and said so.
TEST_F(HookTest, ARecordNoEntryHoldsEndsWithTheNextRemoval) {
    fake.files.files["C:\\APPS\\LOOSE.EXE"];
    Notify(Created(OpenWindow(0x560, "Loose"), "C:\\APPS\\LOOSE.EXE"));
    StartProcess(0x570, "C:\\APPS\\QUIET.EXE");
    Tick();
    ASSERT_EQ(MeteredCount(), 1u);
    EndProcess(0x570);
    Tick();
    EXPECT_EQ(MeteredCount(), 0u);
    EXPECT_THAT(LoggedEvents(),
                ElementsAre("Initiated C:\\APPS\\LOOSE.EXE", "Terminated C:\\APPS\\LOOSE.EXE"));
    EXPECT_THAT(TraceLines(), Contains(HasSubstr("Not in process table: C:\\APPS\\LOOSE.EXE, HWND: ")));
}

class Windows95HookTest : public HookTest {
  protected:
    Windows95HookTest() : HookTest(VER_PLATFORM_WIN32_WINDOWS) {}
};

// On Windows 95 a notification carries no program path: the process list gives it.
TEST_F(Windows95HookTest, ANotifiedWindowTakesItsPathFromTheProcessList) {
    StartProcess(0x30, "C:\\APPS\\NEW.EXE");
    Notify(Created(OpenWindow(0x30, "New"), ""));
    Tick();
    EXPECT_THAT(LoggedEvents(), ElementsAre("Initiated C:\\APPS\\NEW.EXE"));
}

TEST_F(HookTest, TheProgramIsAdmittedByItsShortPath) {
    fake.files.directories.insert("C:\\PROGRAM FILES");
    fake.files.files["C:\\PROGRAM FILES\\WRITER.EXE"].shortPath = "C:\\PROGRA~1\\WRITER.EXE";
    Notify(Created(OpenWindow(0x540, "Writer"), "C:\\PROGRAM FILES\\WRITER.EXE"));
    ASSERT_EQ(MeteredCount(), 1u);
    EXPECT_STREQ(static_cast<PLVMeteredApp *>(runtime.meteredApps)->applicationName,
                 "C:\\PROGRA~1\\WRITER.EXE");
}

// A title is identified whole, to its 63rd character, and a class to its
// 128th: a known application is left to the next scan.
TEST_F(HookTest, AKnownApplicationIsIdentifiedByItsWholeTitleOrClass) {
    PLVAppDefinition byTitle{}, byClass{};
    byTitle.kind = byClass.kind = 2;
    std::strcpy(byTitle.titleText, "END");
    std::strcpy(byClass.classText, "CEND");
    PLVAppendToList(&runtime.definitions, &byTitle, sizeof byTitle);
    PLVAppendToList(&runtime.definitions, &byClass, sizeof byClass);
    PLVHookRecord record = Created(OpenWindow(0x550, "Long"), "C:\\APPS\\LONG.EXE");
    // Known while the record's field ends in its text; admitted once its last character changes.
    auto knownToItsLast = [&](char *field, std::size_t last, std::size_t metered) {
        Notify(record);
        EXPECT_EQ(MeteredCount(), metered);
        field[last] = 'X';
        Notify(record);
        EXPECT_EQ(MeteredCount(), metered + 1);
    };
    fake.files.files["C:\\APPS\\LONG.EXE"];
    fake.files.files["C:\\APPS\\WIDE.EXE"];
    std::strcpy(record.title, (std::string(60, 'T') + "END").c_str());
    knownToItsLast(record.title, 62, 0);
    record = Created(OpenWindow(0x551, "Wide"), "C:\\APPS\\WIDE.EXE");
    std::strcpy(record.className, (std::string(124, 'C') + "CEND").c_str());
    knownToItsLast(record.className, 127, 1);
}

TEST_F(HookTest, SixteenBitWindowTakesItsPathFromTheTracker) {
    fake.files.files["C:\\WIN16\\CALC.EXE"];
    fake.files.directories.insert("C:\\WIN16");
    HWND window = OpenWindow(0x530, "Calc", "SciCalc", true, 0x31);
    World().hookPaths[window] = "C:\\WIN16\\CALC.EXE";
    Notify(Created(window, "", 1));
    ASSERT_EQ(MeteredCount(), 1u);
    const auto *record = static_cast<PLVMeteredApp *>(runtime.meteredApps);
    EXPECT_STREQ(record->applicationName, "C:\\WIN16\\CALC.EXE");
    EXPECT_EQ(DWORD{record->threadId}, 0x31u);
    EXPECT_EQ(IsAppAuthorized(0x530, 0), record);  // thread 0: any thread of the process

    sixteenBit.getNext16BitTask = nullptr;  // tracking off: 16-bit windows are ignored
    HWND other = OpenWindow(0x531, "Calc", "SciCalc", true, 0x32);
    World().hookPaths[other] = "C:\\WIN16\\CALC.EXE";
    Notify(Created(other, "", 1));
    EXPECT_EQ(MeteredCount(), 1u);
}
}  // namespace
}  // namespace plv::testing
