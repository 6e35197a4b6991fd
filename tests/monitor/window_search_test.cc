// The scan's main-window search, answered from one snapshot of the windows a
// tick, against the rule searched the plain way, with up to two enumerations
// of every window for each process: on randomised worlds whose processes and
// windows come and go between ticks, both must admit the same applications
// with the same windows and titles, and trace and log the same lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/display.h"
#include "entry/library_entry.h"
#include "core/library_state.h"
#include "monitor/main_window.h"
#include "monitor/process_table.h"
#include "platform/platform.h"
#include "support/fake_companions.h"
#include "support/fake_platform.h"

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

const char *const kPrograms[] = {"C:\\APPS\\EDIT.EXE",    "C:\\APPS\\CALC.EXE",
                                 "C:\\BIN\\DAEMON.EXE",   "C:\\BIN\\SHELL.EXE",
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

// What one tick leaves behind, compared between the two searches.
struct TickRecord {
    std::vector<std::string> metered;  // pid, thread, window and name of each record
    std::vector<std::string> table;    // pid, thread, window, title and flags of each entry
    std::string log;                   // the day's log file, byte for byte
    bool operator==(const TickRecord &) const = default;
};

void PrintTo(const TickRecord &record, std::ostream *out) {
    *out << "metered:";
    for (const std::string &line : record.metered) *out << " [" << line << "]";
    *out << "; table:";
    for (const std::string &line : record.table) *out << " [" << line << "]";
    *out << "; " << record.log.size() << " bytes of log";
}

class Workstation {
  public:
    Workstation(unsigned seed, MainWindowSearch search) : random_(seed) {
        ResetLibraryState();
        previous_ = SetPlatform(&fake_);
        previousSearch_ = SetMainWindowSearch(search);
        InstallSixteenBitTracker(fake_);
        InstallCompanions(fake_);
        agent_.runtime = &runtime_;
        agent_.agentDirectory = "C:\\PLV";
        agent_.updateInterval = 15;
        agent_.updateCountdown = 900;
        agent_.optionFlags = PLV_OPT_TRACE | (Chance(50) ? PLV_OPT_UNDEFINED_APPS : 0);
        std::strcpy(runtime_.homePath, "F:\\PLV");
        std::strcpy(runtime_.settingsFilePath, "F:\\PLV\\SYSTEM\\PLV.INI");
        runtime_.networkKind = 1;
        runtime_.ignoredPrograms = &ignoredProgram;
        runtime_.ignoredClasses = &ignoredClass;
        for (const char *directory : {"C:", "C:\\APPS", "C:\\BIN", "C:\\WIN16", "C:\\PLV",
                                      "F:", "F:\\PLV", "F:\\PLV\\LOGS", "F:\\PLV\\SYSTEM"})
            fake_.files.directories.insert(directory);
        for (const char *program : kPrograms) fake_.files.files[program];
        for (const char *task : kTasks) fake_.files.files[task];
        fake_.files.files["C:\\BIN\\NTVDM.EXE"];
        fake_.files.files[runtime_.settingsFilePath];
        PLVAppDefinition known{};
        known.kind = 1;
        std::strcpy(known.fileName, "KNOWN.EXE");
        PLVAppendToList(&runtime_.definitions, &known, sizeof known);
        InitializePLVLIB(fake_.host.handle, &agent_, nullptr, &activeWindow_);
        BindProcessEnumeration(core.platformCode);
        if (Chance(40)) {
            World().processes.push_back({kMachine, "C:\\BIN\\NTVDM.EXE", true});
            World().tasks[kMachine] = {{kTasks[0], kFirstTaskThread},
                                       {kTasks[1], kFirstTaskThread + 1}};
        }
        for (int i = Pick(20); i >= 0; --i) StartProcess();
        for (int i = Pick(30); i >= 0; --i) OpenWindow();
    }
    ~Workstation() {
        RemoveLinkedList(&runtime_.pendingEvents);
        RemoveLinkedList(&runtime_.meteredApps);
        RemoveLinkedList(&runtime_.definitions);
        ResetLibraryState();
        SetMainWindowSearch(previousSearch_);
        SetPlatform(previous_);
    }

    TickRecord Tick() {
        fake_.AdvanceSeconds(1);
        Timer1_Timer(nullptr, WM_TIMER, 2, 0);
        TickRecord record;
        for (auto *app = static_cast<PLVMeteredApp *>(runtime_.meteredApps); app != nullptr;
             app = static_cast<PLVMeteredApp *>(app->next))
            record.metered.push_back(
                Describe(app->processId, app->threadId, app->window, app->applicationName, 0));
        for (auto *entry = static_cast<ProcessEntry *>(processTable.head); entry != nullptr;
             entry = static_cast<ProcessEntry *>(entry->next))
            record.table.push_back(Describe(entry->processId, entry->threadId, entry->window,
                                            entry->title, entry->flags));
        if (const auto *log = fake_.FindFile("F:\\PLV\\LOGS\\19980820.LOG")) record.log = log->data;
        return record;
    }

    // Processes and windows start and end, windows show, hide, are renamed
    // and come to the front; the same seed makes the same changes.
    void Change() {
        for (int changes = Pick(6); changes > 0; --changes) {
            auto &windows = fake_.windows;
            switch (Pick(9)) {
                case 0:
                    StartProcess();
                    break;
                case 1:
                    EndProcess();
                    break;
                case 2:
                    OpenWindow();
                    break;
                case 3:
                    if (!windows.empty()) fake_.DestroyWindow(windows[Pick(windows.size())].handle);
                    break;
                case 4:
                    if (!windows.empty()) windows[Pick(windows.size())].visible ^= true;
                    break;
                case 5:
                    if (!windows.empty())
                        windows[Pick(windows.size())].title = kTitles[Pick(std::size(kTitles))];
                    break;
                case 6:
                    if (!windows.empty()) {
                        const std::size_t at = Pick(windows.size());
                        std::rotate(windows.begin(), windows.begin() + at,
                                    windows.begin() + at + 1);
                    }
                    break;
                case 7: {  // a 16-bit task ends, or another starts
                    auto &tasks = World().tasks[kMachine];
                    if (!tasks.empty() && Chance(50)) {
                        tasks.erase(tasks.begin() + std::ptrdiff_t(Pick(tasks.size())));
                    } else if (tasks.size() < std::size(kTasks)) {
                        const std::size_t slot = Pick(std::size(kTasks));
                        if (std::none_of(tasks.begin(), tasks.end(), [&](const auto &task) {
                                return task.threadId == kFirstTaskThread + slot;
                            }))
                            tasks.push_back({kTasks[slot], DWORD(kFirstTaskThread + slot)});
                    }
                    break;
                }
                default:
                    break;  // a quiet tick
            }
        }
    }

    std::vector<std::string> TraceLines() const { return fake_.ListBoxLines(); }

  private:
    std::size_t Pick(std::size_t below) {
        return std::uniform_int_distribution<std::size_t>(0, below - 1)(random_);
    }
    bool Chance(int percent) { return Pick(100) < std::size_t(percent); }

    DWORD SomeProcessId() {
        auto &processes = World().processes;
        if (processes.empty() || Chance(15))
            return 0x100 + DWORD(Pick(64));  // a process gone or never seen
        if (Chance(15)) return kMachine;
        return processes[Pick(processes.size())].id;
    }

    void StartProcess() {
        const DWORD id = 0x100 + DWORD(Pick(64));
        for (const auto &process : World().processes)
            if (process.id == id) return;
        World().processes.push_back({id, kPrograms[Pick(std::size(kPrograms))], false});
    }

    void EndProcess() {
        auto &processes = World().processes;
        if (processes.empty()) return;
        const DWORD id = processes[Pick(processes.size())].id;
        std::erase_if(processes, [id](const auto &p) { return p.id == id; });
        std::erase_if(fake_.windows, [id](const auto &w) { return w.processId == id; });
    }

    void OpenWindow() {
        FakePlatform::Window window;
        window.processId = SomeProcessId();
        window.threadId = window.processId == kMachine
                              ? kFirstTaskThread + DWORD(Pick(std::size(kTasks)))
                          : Chance(90) ? 1
                                       : 2;
        window.title = kTitles[Pick(std::size(kTitles))];
        window.className = kClasses[Pick(std::size(kClasses))];
        window.visible = Chance(60);
        if (!fake_.windows.empty() && Chance(30))
            window.parent = fake_.windows[Pick(fake_.windows.size())].handle;
        fake_.AddWindow(window);
    }

    static std::string Describe(DWORD processId, DWORD threadId, const void *window,
                                const char *name, DWORD flags) {
        return std::to_string(processId) + "/" + std::to_string(threadId) + " " +
               std::to_string(HandleNumber(window)) + " " + name + " " + std::to_string(flags);
    }

    std::mt19937 random_;
    FakePlatform fake_;
    PLVAgentRuntime runtime_{};
    PLVAgentState agent_{};
    PLVHWND *activeWindow_ = nullptr;
    Platform *previous_ = nullptr;
    MainWindowSearch previousSearch_ = nullptr;
};

struct WorldRun {
    std::vector<TickRecord> ticks;
    std::vector<std::string> trace;
};

WorldRun RunWorld(unsigned seed, MainWindowSearch search, int ticks) {
    Workstation workstation(seed, search);
    WorldRun run;
    for (int tick = 0; tick < ticks; ++tick) {
        run.ticks.push_back(workstation.Tick());
        workstation.Change();
    }
    run.trace = workstation.TraceLines();
    return run;
}

TEST(MainWindowSearch, TheSnapshotAdmitsWhatAnEnumerationPerProcessAdmits) {
    constexpr unsigned kWorlds = 1000;
    constexpr int kTicks = 24;
    std::size_t admitted = 0;
    for (unsigned seed = 1; seed <= kWorlds; ++seed) {
        const WorldRun bySnapshot = RunWorld(seed, nullptr, kTicks);
        const WorldRun byEnumeration = RunWorld(seed, SearchByEnumeration, kTicks);
        for (int tick = 0; tick < kTicks; ++tick) {
            ASSERT_EQ(bySnapshot.ticks[tick], byEnumeration.ticks[tick])
                << "world " << seed << ", tick " << tick;
            admitted += bySnapshot.ticks[tick].metered.size();
        }
        ASSERT_EQ(bySnapshot.trace, byEnumeration.trace) << "world " << seed;
    }
    // The worlds exercise admission, not only worlds where nothing is metered.
    EXPECT_GT(admitted, kWorlds * kTicks / 2);
}

}  // namespace
}  // namespace plv::testing
