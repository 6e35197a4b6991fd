// The timer cycle on the fake platform: steady state (nothing starts or
// ends) as the process count grows, a cycle in which 50 applications start,
// and the bare walk of the fake process list for comparison.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/companions.h"
#include "core/library_state.h"
#include "plvlib32.h"
#include "support/fake_companions.h"
#include "support/fake_platform.h"

namespace plv::testing {
namespace {

// A host's records and a machine with `processes` running applications, each
// with its window, and 1,000 definitions none of which they match.
class Machine {
  public:
    explicit Machine(int processes) {
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
        for (const char *directory : {"C:", "C:\\APPS", "F:", "F:\\PLV", "F:\\PLV\\LOGS"})
            fake.files.directories.insert(directory);
        for (int i = 0; i < 1000; ++i) {
            PLVAppDefinition definition{};
            definition.kind = 1;
            std::snprintf(definition.fileName, sizeof definition.fileName, "DEF%05d.EXE", i);
            PLVAppendToList(&runtime.definitions, &definition, sizeof definition);
        }
        InitializePLVLIB(fake.host.handle, &agent, nullptr, &activeWindow);
        BindProcessEnumeration(core.platformCode);
        for (int i = 0; i < processes; ++i) Start(static_cast<DWORD>(0x1000 + i));
        Tick();  // everything admitted and logged
    }
    ~Machine() {
        ResetLibraryState();
        SetPlatform(previous_);
    }
    void Start(DWORD id) {
        const std::string path = "C:\\APPS\\P" + std::to_string(id) + ".EXE";
        World().processes.push_back({id, path, false});
        fake.files.files[path];
        FakePlatform::Window window;
        window.processId = id;
        window.threadId = 1;
        window.title = "Window";
        window.className = "AppWnd";
        fake.AddWindow(window);
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
    Machine machine(static_cast<int>(state.range(0)));
    for (auto _ : state) machine.Tick();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SteadyCycle)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

void FiftyApplicationsStart(benchmark::State &state) {
    Machine machine(static_cast<int>(state.range(0)));
    DWORD next = 0x100000;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 50; ++i) machine.Start(next++);
        state.ResumeTiming();
        machine.Tick();
    }
}
BENCHMARK(FiftyApplicationsStart)->Arg(1000)->Unit(benchmark::kMicrosecond)->Iterations(20);

// What any scan must pay: reset the fake process list and walk its ids.
void BareProcessListWalk(benchmark::State &state) {
    Machine machine(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        metering.resetNTProcessList();
        DWORD sum = 0;
        while (const DWORD id = metering.getNextProcessID()) sum += id;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BareProcessListWalk)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace plv::testing

BENCHMARK_MAIN();
