// What the process scan asks the platform about a window it meets, as the
// benchmarks ask it.
#pragma once

#include <benchmark/benchmark.h>

#include "platform/platform.h"

namespace plv::bench {

inline void AskWhatTheScanReads(Platform &platform, HWND window) {
    char title[64];
    char className[129];
    DWORD processId = 0;
    benchmark::DoNotOptimize(platform.GetParent(window));
    benchmark::DoNotOptimize(platform.GetWindowThreadProcessId(window, &processId));
    benchmark::DoNotOptimize(platform.GetWindowTextA(window, title, sizeof title));
    benchmark::DoNotOptimize(platform.GetClassNameA(window, className, sizeof className));
    benchmark::DoNotOptimize(platform.IsWindowVisible(window));
}

}  // namespace plv::bench
