// The cost of the window calls against an X server: an enumeration with its
// pipelined batch, against the same questions asked one call at a time.
// Run: build with -DPLV_BUILD_BENCH=ON, then bin/x11_windows_bench.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "platform/posix/posix_platform.h"
#include "support/x_test_client.h"
#include "support/xvfb_server.h"
#include "window_questions.h"

namespace {

using plv::posix::PosixPlatform;
using plv::testing::XTestClient;
using plv::testing::XvfbServer;

// One server for the whole run, with as many client windows as a benchmark
// asks for, each named and classed as applications do.
struct Desktop {
    std::unique_ptr<XvfbServer> server;
    std::unique_ptr<XTestClient> client;
    std::vector<xcb_window_t> windows;

    void Populate(std::size_t count) {
        const xcb_atom_t netWmName = client->Atom("_NET_WM_NAME");
        const xcb_atom_t utf8 = client->Atom("UTF8_STRING");
        while (windows.size() < count) {
            const xcb_window_t window = client->CreateWindow();
            const std::string title = "Document " + std::to_string(windows.size()) + " - Editor";
            client->SetBytes(window, netWmName, utf8, title);
            client->SetBytes(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, title);
            client->SetBytes(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                             std::string("editor\0Editor\0", 14));
            client->Map(window);
            windows.push_back(window);
        }
        while (windows.size() > count) {
            client->Destroy(windows.back());
            windows.pop_back();
        }
    }
};

Desktop *desktop = nullptr;

HWND HandleOf(xcb_window_t window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

void AskEverything(PosixPlatform &platform, HWND window) { plv::bench::AskWhatTheScanReads(platform, window); }

struct Context {
    PosixPlatform *platform;
    bool ask;
    int seen;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
    auto *context = reinterpret_cast<Context *>(parameter);
    ++context->seen;
    if (context->ask) AskEverything(*context->platform, window);
    return TRUE;
}

void Enumerate(benchmark::State &state, bool ask) {
    desktop->Populate(static_cast<std::size_t>(state.range(0)));
    PosixPlatform platform;
    Context context{&platform, ask, 0};
    for (auto _ : state) {
        context.seen = 0;
        platform.EnumWindows(Visit, reinterpret_cast<LPARAM>(&context));
    }
    if (context.seen != state.range(0)) state.SkipWithError("windows went missing");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// While nothing changes: one round trip, the windows delivered from what
// the platform keeps.
void BM_EnumerateWindows(benchmark::State &state) { Enumerate(state, false); }
BENCHMARK(BM_EnumerateWindows)->Arg(1)->Arg(50)->Arg(200)->Unit(benchmark::kMicrosecond);

// The same and the five questions of the scan for every window, answered
// from what the enumeration delivers.
void BM_EnumerateAndAskEveryWindow(benchmark::State &state) { Enumerate(state, true); }
BENCHMARK(BM_EnumerateAndAskEveryWindow)->Arg(50)->Arg(200)->Unit(benchmark::kMicrosecond);

// An enumeration after every window was renamed: each window's facts are
// asked again, in one batch, as an enumeration of windows never seen asks.
void BM_EnumerateAfterEveryWindowChanged(benchmark::State &state) {
    desktop->Populate(static_cast<std::size_t>(state.range(0)));
    PosixPlatform platform;
    Context context{&platform, true, 0};
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        for (xcb_window_t window : desktop->windows)
            desktop->client->SetBytes(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                                      "Renamed " + std::to_string(round));
        state.ResumeTiming();
        context.seen = 0;
        platform.EnumWindows(Visit, reinterpret_cast<LPARAM>(&context));
    }
    if (context.seen != state.range(0)) state.SkipWithError("windows went missing");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EnumerateAfterEveryWindowChanged)->Arg(50)->Arg(200)->Unit(benchmark::kMicrosecond);

// The same questions outside an enumeration: each call asks the server.
void BM_AskEveryWindowCallByCall(benchmark::State &state) {
    desktop->Populate(static_cast<std::size_t>(state.range(0)));
    PosixPlatform platform;
    for (auto _ : state) {
        for (xcb_window_t window : desktop->windows) AskEverything(platform, HandleOf(window));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AskEveryWindowCallByCall)->Arg(50)->Arg(200)->Unit(benchmark::kMicrosecond);

// One call outside an enumeration: one round trip.
void BM_IsWindow(benchmark::State &state) {
    desktop->Populate(1);
    PosixPlatform platform;
    for (auto _ : state) benchmark::DoNotOptimize(platform.IsWindow(HandleOf(desktop->windows[0])));
}
BENCHMARK(BM_IsWindow)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    std::string whyNot;
    Desktop world{XvfbServer::Start({}, whyNot), nullptr, {}};
    if (!world.server) {
        std::cerr << "no X server: " << whyNot << "\n";
        return 1;
    }
    ::setenv("DISPLAY", world.server->display().c_str(), 1);
    world.client = std::make_unique<XTestClient>(world.server->display());
    desktop = &world;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
