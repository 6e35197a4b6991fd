// The cost of the process list on the real kernel: a reset (reading every
// process id from /proc), the walk over it, and one program path (what a new
// process costs). The machine's own processes, plus as many sleeping
// children as a benchmark asks for.
// Run: build with -DPLV_BUILD_BENCH=ON, then bin/process_list_bench.
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "process_list.h"
#include "support/child_process.h"

namespace {

using plv::testing::ChildProcess;

std::vector<std::unique_ptr<ChildProcess>> children;

void KeepChildren(std::size_t count) {
    while (children.size() < count)
        children.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{"sleep", "3600"}));
    children.resize(count);
}

std::size_t CountListed() {
    std::size_t count = 0;
    while (GetNextProcessID() != 0) ++count;
    return count;
}

void Reset(benchmark::State &state) {
    KeepChildren(static_cast<std::size_t>(state.range(0)));
    InitNTProcessList(".");
    ResetNTProcessList();
    const std::size_t processes = CountListed();
    for (auto _ : state) benchmark::DoNotOptimize(ResetNTProcessList());
    state.counters["processes"] = static_cast<double>(processes);
    state.counters["per_process"] = benchmark::Counter(
        static_cast<double>(processes), benchmark::Counter::kIsIterationInvariantRate |
                                            benchmark::Counter::kInvert);
    FreeNTProcessList();
}
BENCHMARK(Reset)->Arg(0)->Arg(500)->Arg(2000)->UseRealTime()->Unit(benchmark::kMicrosecond);

// What the scan does every tick: a reset and the walk to its end.
void ResetAndWalk(benchmark::State &state) {
    KeepChildren(static_cast<std::size_t>(state.range(0)));
    InitNTProcessList(".");
    std::size_t processes = 0;
    for (auto _ : state) {
        ResetNTProcessList();
        processes = CountListed();
    }
    state.counters["processes"] = static_cast<double>(processes);
    FreeNTProcessList();
}
BENCHMARK(ResetAndWalk)->Arg(0)->Arg(500)->Arg(2000)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The program path of a new process: the link in /proc, made a DOS path.
void ProgramPath(benchmark::State &state) {
    const DWORD self = static_cast<DWORD>(::getpid());
    char path[285];
    BYTE virtualDosMachine = 0;
    for (auto _ : state) benchmark::DoNotOptimize(GetProcessExePath(self, path, &virtualDosMachine));
}
BENCHMARK(ProgramPath)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    children.clear();
    benchmark::Shutdown();
    return 0;
}
