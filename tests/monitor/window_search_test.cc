// The scan's main-window search, answered from one snapshot of the windows a
// tick, against the rule searched the plain way, with up to two enumerations
// of every window for each process: on randomised worlds whose processes and
// windows come and go between ticks, both must admit the same applications
// with the same windows and titles, and trace and log the same lines.
#include <algorithm>
#include <functional>
#include <random>

#include "core/display.h"
#include "monitor/main_window.h"
#include "monitor/monitor_test.h"
#include "monitor/process_table.h"
#include "platform/platform.h"

namespace plv::testing {
namespace {

// ---- the rule, one enumeration after another -------------------------------

BOOL CALLBACK ConsiderWindow(HWND window, LPARAM parameter) {
    auto *candidate = reinterpret_cast<PLVCandidate *>(parameter);
    if (Os().GetParent(window) != nullptr) return TRUE;
    DWORD processId = 0;
    const DWORD threadId = Os().GetWindowThreadProcessId(window, &processId);
    if (processId != candidate->processId ||
        (candidate->threadId != 0 && threadId != candidate->threadId))
        return TRUE;
    if (Os().GetWindowTextA(window, candidate->title, 64) == 0)
        LeftStr(candidate->title, "(no title)", 63);
    if (Os().GetClassNameA(window, candidate->className, 129) == 0)
        LeftStr(candidate->className, "(no class)", 128);
    if (IsFilteredApp(candidate) == 0 &&
        (!candidate->visibleOnly || Os().IsWindowVisible(window))) {
        candidate->window = window;
        Trace("Found hWnd %04x", HandleNumber(window));
        return FALSE;
    }
    LeftStr(candidate->title, "(no window)", 63);
    LeftStr(candidate->className, "(no class)", 128);
    return TRUE;
}

void SearchByEnumeration(PLVCandidate *candidate) {
    candidate->window = nullptr;
    candidate->visibleOnly = 1;
    Os().EnumWindows(ConsiderWindow, reinterpret_cast<LPARAM>(candidate));
    if (candidate->window != nullptr) return;
    candidate->visibleOnly = 0;
    Os().EnumWindows(ConsiderWindow, reinterpret_cast<LPARAM>(candidate));
}

// ---- a randomised workstation ----------------------------------------------

const char *const kPrograms[] = {"C:\\APPS\\EDIT.EXE",  "C:\\APPS\\CALC.EXE",
                                 "C:\\BIN\\DAEMON.EXE", "C:\\BIN\\SHELL.EXE",
                                 "C:\\APPS\\SKIPPED.EXE", "C:\\APPS\\KNOWN.EXE"};
const char *const kClasses[] = {"EdWnd", "Frame", "Shell_TrayWnd", "tooltips", ""};
const char *const kTitles[] = {"Document", "", "Untitled", "Report - Editor"};

// A virtual DOS machine whose 16-bit tasks have windows of their own threads.
constexpr DWORD kMachine = 0x300;
const char *const kTasks[] = {"C:\\WIN16\\CALC.EXE", "C:\\WIN16\\WRITE.EXE",
                              "C:\\WIN16\\CLOCK.EXE"};
constexpr DWORD kFirstTaskThread = 0x11;

PLVTextListNode ignoredProgram{nullptr, "skipped.exe"};
PLVTextListNode ignoredClass{nullptr, "Shell_TrayWnd"};

// What one tick leaves behind: each metered record ("app ...") and table
// entry (ids, window, name or title, flags) and the day's log byte for byte.
using TickRecord = std::vector<std::string>;

class Workstation : public MonitorTest {
  public:
    Workstation(unsigned seed, MainWindowSearch search)
        : bySnapshot_(search == nullptr), random_(seed) {
        previousSearch_ = SetMainWindowSearch(search);
        if (Chance(50)) agent.optionFlags |= PLV_OPT_UNDEFINED_APPS;
        runtime.ignoredPrograms = &ignoredProgram;
        runtime.ignoredClasses = &ignoredClass;
        for (const char *directory : {"C:\\APPS", "C:\\BIN", "C:\\WIN16"})
            fake.files.directories.insert(directory);
        for (const char *program : kPrograms) fake.files.files[program];
        for (const char *task : kTasks) fake.files.files[task];
        fake.files.files["C:\\BIN\\NTVDM.EXE"];
        Define("KNOWN.EXE");
        if (Chance(40)) {
            World().processes.push_back({kMachine, "C:\\BIN\\NTVDM.EXE", true});
            World().tasks[kMachine] = {{kTasks[0], kFirstTaskThread},
                                       {kTasks[1], kFirstTaskThread + 1}};
        }
        for (int i = Pick(20); i >= 0; --i) AddProcess();
        for (int i = Pick(30); i >= 0; --i) AddWindow();
    }
    ~Workstation() override { SetMainWindowSearch(previousSearch_); }
    void TestBody() override {}
    using MonitorTest::TraceLines;

    TickRecord TickAndRecord() {
        int enumerations = 0;
        std::function<void()> count = [&] { ++enumerations, fake.duringEnumeration = count; };
        fake.duringEnumeration = count;
        Tick();
        fake.duringEnumeration = nullptr;
        // The snapshot's point: one enumeration a tick, however many processes ask.
        EXPECT_TRUE(!bySnapshot_ || enumerations <= 1) << enumerations;
        TickRecord record;
        for (auto *app = static_cast<PLVMeteredApp *>(runtime.meteredApps); app != nullptr;
             app = static_cast<PLVMeteredApp *>(app->next))
            record.push_back("app " + Describe(app->processId, app->threadId, app->window,
                                               app->applicationName, 0));
        for (auto *entry = static_cast<ProcessEntry *>(processTable.head); entry != nullptr;
             entry = static_cast<ProcessEntry *>(entry->next))
            record.push_back(Describe(entry->processId, entry->threadId, entry->window,
                                      entry->title, entry->flags));
        if (const auto *log = fake.FindFile("F:\\PLV\\LOGS\\19980820.LOG"))
            record.push_back(log->data);
        return record;
    }

    // Processes and windows start and end, windows show, hide, are renamed
    // and come to the front, 16-bit tasks end and start; the same seed makes
    // the same changes.
    void Change() {
        auto &windows = fake.windows;
        auto &tasks = World().tasks[kMachine];
        for (int changes = Pick(6); changes > 0; --changes) {
            const int what = int(Pick(9));
            if (what == 0) AddProcess();
            if (what == 1 && !World().processes.empty())
                EndProcess(World().processes[Pick(World().processes.size())].id);
            if (what == 2) AddWindow();
            if (what >= 3 && what <= 6 && !windows.empty()) {
                const std::size_t at = Pick(windows.size());
                if (what == 3) fake.DestroyWindow(windows[at].handle);
                if (what == 4) windows[at].visible ^= true;
                if (what == 5) windows[at].title = kTitles[Pick(std::size(kTitles))];
                if (what == 6)
                    std::rotate(windows.begin(), windows.begin() + at, windows.begin() + at + 1);
            }
            if (what == 7 && !tasks.empty() && Chance(50)) {
                tasks.erase(tasks.begin() + std::ptrdiff_t(Pick(tasks.size())));
            } else if (what == 7 && tasks.size() < std::size(kTasks)) {
                const DWORD thread = kFirstTaskThread + DWORD(Pick(std::size(kTasks)));
                if (std::none_of(tasks.begin(), tasks.end(),
                                 [&](const auto &task) { return task.threadId == thread; }))
                    tasks.push_back({kTasks[thread - kFirstTaskThread], thread});
            }
        }
    }

  private:
    std::size_t Pick(std::size_t below) {
        return std::uniform_int_distribution<std::size_t>(0, below - 1)(random_);
    }
    bool Chance(int percent) { return Pick(100) < std::size_t(percent); }

    void AddProcess() {
        const DWORD id = 0x100 + DWORD(Pick(64));
        if (std::none_of(World().processes.begin(), World().processes.end(),
                         [id](const auto &process) { return process.id == id; }))
            World().processes.push_back({id, kPrograms[Pick(std::size(kPrograms))], false});
    }

    void AddWindow() {
        const auto &processes = World().processes;
        FakePlatform::Window window;
        // A process gone or never seen, the machine, or a running one.
        window.processId = processes.empty() || Chance(15) ? 0x100 + DWORD(Pick(64))
                           : Chance(15)                    ? kMachine
                                                           : processes[Pick(processes.size())].id;
        window.threadId = window.processId == kMachine
                              ? kFirstTaskThread + DWORD(Pick(std::size(kTasks)))
                              : (Chance(90) ? 1 : 2);
        window.title = kTitles[Pick(std::size(kTitles))];
        window.className = kClasses[Pick(std::size(kClasses))];
        window.visible = Chance(60);
        if (!fake.windows.empty() && Chance(30))
            window.parent = fake.windows[Pick(fake.windows.size())].handle;
        fake.AddWindow(window);
    }

    static std::string Describe(DWORD processId, DWORD threadId, const void *window,
                                const char *name, DWORD flags) {
        return std::to_string(processId) + "/" + std::to_string(threadId) + " " +
               std::to_string(HandleNumber(window)) + " " + name + " " + std::to_string(flags);
    }

    const bool bySnapshot_;
    std::mt19937 random_;
    MainWindowSearch previousSearch_ = nullptr;
};

// Each tick's record, then the trace.
std::vector<TickRecord> RunWorld(unsigned seed, MainWindowSearch search, int ticks) {
    Workstation workstation(seed, search);
    std::vector<TickRecord> run;
    for (int tick = 0; tick < ticks; ++tick) {
        run.push_back(workstation.TickAndRecord());
        workstation.Change();
    }
    run.push_back(workstation.TraceLines());
    return run;
}

TEST(MainWindowSearch, TheSnapshotAdmitsWhatAnEnumerationPerProcessAdmits) {
    constexpr unsigned kWorlds = 1000;
    constexpr int kTicks = 24;
    std::size_t admitted = 0;
    for (unsigned seed = 1; seed <= kWorlds; ++seed) {
        const auto bySnapshot = RunWorld(seed, nullptr, kTicks);
        const auto byEnumeration = RunWorld(seed, SearchByEnumeration, kTicks);
        for (int tick = 0; tick <= kTicks; ++tick) {
            ASSERT_EQ(bySnapshot[tick], byEnumeration[tick]) << "world " << seed << ", tick " << tick;
            if (tick < kTicks)
                for (const std::string &line : bySnapshot[tick]) admitted += line.starts_with("app ");
        }
    }
    // The worlds exercise admission, not only worlds where nothing is metered.
    EXPECT_GT(admitted, kWorlds * kTicks / 2);
}

}  // namespace
}  // namespace plv::testing
