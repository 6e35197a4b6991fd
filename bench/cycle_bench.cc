// The timer cycle on the fake platform, in worlds shaped like desktops: most
// processes have no window and no definition (daemons, shells, helpers, each
// still waiting for a window on every tick), some are ignored, a few own the
// top-level windows (0, 50 or 200 of them, some with owners, some hidden).
// Beside the steady cycle, the floor: walking the process list and asking
// every window once what the search reads of it.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "entry/library_entry.h"
#include "core/library_state.h"
#include "monitor/metering_state.h"
#include "plvlib32.h"
#include "support/fake_companions.h"
#include "support/fake_platform.h"
#include "window_questions.h"

namespace plv::testing {
namespace {

// One process in twenty is ignored, one in twenty owns windows.
constexpr int kIgnoredEvery = 20;
constexpr int kWindowOwnerEvery = 20;

PLVTextListNode ignoredProgram{nullptr, "helper.exe"};

// A host's records and a desktop-like machine with 1,000 definitions, none
// of which its programs match.
class Machine {
  public:
    Machine(int processes, int windows) {
        ResetLibraryState();
        previous_ = SetPlatform(&fake);
        InstallSixteenBitTracker(fake);  // empties the world of an earlier run
        InstallCompanions(fake);
        agent.runtime = &runtime;
        agent.agentDirectory = "C:\\PLV";
        agent.updateInterval = 15;
        agent.updateCountdown = 900;
        agent.optionFlags = PLV_OPT_UNDEFINED_APPS;
        std::strcpy(runtime.homePath, "F:\\PLV");
        runtime.ignoredPrograms = &ignoredProgram;
        for (const char *directory :
             {"C:", "C:\\APPS", "C:\\BIN", "F:", "F:\\PLV", "F:\\PLV\\LOGS"})
            fake.files.directories.insert(directory);
        for (const char *program : {"C:\\BIN\\DAEMON.EXE", "C:\\BIN\\HELPER.EXE"})
            fake.files.files[program];
        for (int i = 0; i < 1000; ++i) {
            PLVAppDefinition definition{};
            definition.kind = 1;
            std::snprintf(definition.fileName, sizeof definition.fileName, "DEF%05d.EXE", i);
            PLVAppendToList(&runtime.definitions, &definition, sizeof definition);
        }
        InitializePLVLIB(fake.host.handle, &agent, nullptr, &activeWindow);
        BindProcessEnumeration(core.platformCode);
        std::vector<DWORD> owners;
        for (int i = 0; i < processes; ++i) {
            const DWORD id = static_cast<DWORD>(0x1000 + i);
            if (i % kWindowOwnerEvery == kWindowOwnerEvery - 1) {
                owners.push_back(id);
                StartApplication(id);
            } else {
                World().processes.push_back(
                    {id, i % kIgnoredEvery == 0 ? "C:\\BIN\\HELPER.EXE" : "C:\\BIN\\DAEMON.EXE",
                     false});
            }
        }
        // Each owner has its main window first; the rest are its dialogs,
        // tool windows and hidden helpers.
        for (int i = 0; i < windows && !owners.empty(); ++i) {
            FakePlatform::Window window;
            window.processId = owners[static_cast<std::size_t>(i) % owners.size()];
            window.threadId = 1;
            window.title = "Document " + std::to_string(i) + " - Editor";
            window.className = "AppWnd";
            window.visible = i % 5 != 4;
            if (i >= static_cast<int>(owners.size()) && i % 3 == 0)
                window.parent = fake.windows.front().handle;
            fake.AddWindow(window);
        }
        Tick();  // everything met once: the windowed applications admitted and logged
        Tick();
    }
    ~Machine() {
        ResetLibraryState();
        SetPlatform(previous_);
    }
    void StartApplication(DWORD id) {
        const std::string path = "C:\\APPS\\P" + std::to_string(id) + ".EXE";
        World().processes.push_back({id, path, false});
        fake.files.files[path];
    }
    void Tick() {
        fake.AdvanceSeconds(1);
        Timer1_Timer(nullptr, 0, 0, 0);
    }

    FakePlatform fake;
    PLVAgentRuntime runtime{};
    PLVAgentState agent{};

  private:
    PLVHWND *activeWindow = nullptr;
    Platform *previous_ = nullptr;
};

void SteadyCycle(benchmark::State &state) {
    Machine machine(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) machine.Tick();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BOOL CALLBACK AskWhatTheSearchReads(HWND window, LPARAM) {
    bench::AskWhatTheScanReads(Os(), window);
    return TRUE;
}

// What any cycle must pay: reset the process list and walk its ids, and
// enumerate the windows once, asking each what the search reads of it.
void Floor(benchmark::State &state) {
    Machine machine(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        metering.resetNTProcessList();
        DWORD sum = 0;
        while (const DWORD id = metering.getNextProcessID()) sum += id;
        benchmark::DoNotOptimize(sum);
        Os().EnumWindows(AskWhatTheSearchReads, 0);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Worlds(benchmark::internal::Benchmark *benchmark) {
    benchmark->ArgNames({"processes", "windows"});
    for (int processes : {100, 1000, 5000})
        for (int windows : {0, 50, 200}) benchmark->Args({processes, windows});
    benchmark->Unit(benchmark::kMicrosecond);
}
BENCHMARK(SteadyCycle)->Apply(Worlds);
BENCHMARK(Floor)->Apply(Worlds);

// A cycle in which 50 applications start among 1,000 processes and 200
// windows: each new process's window is found, identified against the
// definitions, admitted and logged.
void FiftyApplicationsStart(benchmark::State &state) {
    Machine machine(1000, 200);
    DWORD next = 0x100000;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 50; ++i) {
            machine.StartApplication(next);
            FakePlatform::Window window;
            window.processId = next++;
            window.threadId = 1;
            window.title = "Window";
            window.className = "AppWnd";
            machine.fake.AddWindow(window);
        }
        state.ResumeTiming();
        machine.Tick();
    }
}
BENCHMARK(FiftyApplicationsStart)->Unit(benchmark::kMicrosecond)->Iterations(20);

}  // namespace
}  // namespace plv::testing

BENCHMARK_MAIN();
