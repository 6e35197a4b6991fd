// The agent's steady timer cycle on a desktop: the real plvagent over the
// real /proc and an Xvfb of its own, with N sleeping processes that have no
// window (as most of a desktop's daemons, shells and helpers) and W client
// windows owned by processes of their own. It reports the processor time of
// the agent and of the X server per cycle, next to the floor: walking /proc
// for the process ids and fetching every top-level window's attributes and
// properties once, in one pipelined batch, measured in the same run.
//
// Run: desktop_bench [--agent PATH] [--processes 100,1000,5000]
//                    [--windows 0,50,200] [--cycles 20]
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/res.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/temporary_directory.h"
#include "support/x_test_client.h"
#include "support/xvfb_server.h"

extern char **environ;

namespace {

using plv::testing::ChildProcess;
using plv::testing::TemporaryDirectory;
using plv::testing::XTestClient;
using plv::testing::XvfbServer;
using Clock = std::chrono::steady_clock;

// Windows a window-owning process makes: its main window and helpers, some
// of them unmapped, as toolkits make them.
constexpr int kWindowsPerOwner = 5;

// Processor time of any process of ours (0: this one), in seconds.
double CpuSeconds(pid_t pid) {
    clockid_t clock;
    if (clock_getcpuclockid(pid, &clock) != 0) return 0;
    timespec time{};
    clock_gettime(clock, &time);
    return double(time.tv_sec) + double(time.tv_nsec) * 1e-9;
}

std::string LoadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five;
    file >> one >> five;
    return one + "/" + five;
}

// A process owning windows: run as `desktop_bench --own-windows DISPLAY COUNT`.
int OwnWindows(const std::string &display, int count, int first) {
    XTestClient client(display);
    if (!client.connected()) return 1;
    const xcb_atom_t netWmName = client.Atom("_NET_WM_NAME");
    const xcb_atom_t utf8 = client.Atom("UTF8_STRING");
    for (int i = 0; i < count; ++i) {
        const xcb_window_t window = client.CreateWindow();
        const std::string title = "Document " + std::to_string(first + i) + " - Editor";
        client.SetBytes(window, netWmName, utf8, title);
        client.SetBytes(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, title);
        client.SetBytes(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                        std::string("editor\0Editor\0", 14));
        if (i % 5 != 4) client.Map(window);  // one in five stays unmapped
    }
    ::pause();
    return 0;
}

// ---- the floor ------------------------------------------------------------

std::size_t WalkProcessIds() {
    std::size_t ids = 0;
    DIR *proc = ::opendir("/proc");
    while (dirent *entry = ::readdir(proc)) {
        if (entry->d_name[0] >= '1' && entry->d_name[0] <= '9') ++ids;
    }
    ::closedir(proc);
    return ids;
}

struct FloorServer {
    xcb_connection_t *connection;
    xcb_window_t root;
    xcb_atom_t atoms[4];  // _NET_WM_NAME, _NET_WM_PID, UTF8_STRING, WM_STATE
};

// Every top-level window's attributes and the seven properties the agent
// reads, and the clients' processes, asked in one pipelined batch.
std::size_t FetchEveryWindow(FloorServer &server) {
    xcb_connection_t *c = server.connection;
    auto *tree = xcb_query_tree_reply(c, xcb_query_tree(c, server.root), nullptr);
    if (tree == nullptr) return 0;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    const int count = xcb_query_tree_children_length(tree);
    const xcb_res_client_id_spec_t everyClient{0, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    const auto clients = xcb_res_query_client_ids(c, 1, &everyClient);
    const xcb_atom_t properties[] = {
        server.atoms[0], XCB_ATOM_WM_NAME,           XCB_ATOM_WM_CLASS, XCB_ATOM_WM_TRANSIENT_FOR,
        server.atoms[1], XCB_ATOM_WM_CLIENT_MACHINE, server.atoms[3]};
    std::vector<unsigned> sequences;
    for (int i = 0; i < count; ++i) {
        sequences.push_back(xcb_get_window_attributes(c, children[i]).sequence);
        for (xcb_atom_t property : properties)
            sequences.push_back(
                xcb_get_property(c, 0, children[i], property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024)
                    .sequence);
    }
    std::free(xcb_res_query_client_ids_reply(c, clients, nullptr));
    for (unsigned sequence : sequences) {
        xcb_generic_error_t *error = nullptr;
        std::free(xcb_wait_for_reply(c, sequence, &error));
        std::free(error);
    }
    std::free(tree);
    return static_cast<std::size_t>(count);
}

struct Floor {
    double seconds;        // processor time of one floor cycle
    double serverSeconds;  // the X server's, per floor cycle
};

// At the agent's cadence, once a second: a walk of /proc a second after the
// last one finds the kernel's caches as cold as the agent finds them.
Floor MeasureFloor(const std::string &display, pid_t serverPid, int cycles) {
    FloorServer server{xcb_connect(display.c_str(), nullptr), 0, {}};
    server.root = xcb_setup_roots_iterator(xcb_get_setup(server.connection)).data->root;
    const char *names[] = {"_NET_WM_NAME", "_NET_WM_PID", "UTF8_STRING", "WM_STATE"};
    for (int i = 0; i < 4; ++i) {
        auto *reply = xcb_intern_atom_reply(
            server.connection,
            xcb_intern_atom(server.connection, 0, std::uint16_t(std::strlen(names[i])), names[i]),
            nullptr);
        server.atoms[i] = reply->atom;
        std::free(reply);
    }
    std::size_t seen = WalkProcessIds() + FetchEveryWindow(server);
    const double self0 = CpuSeconds(0), x0 = CpuSeconds(serverPid);
    auto next = Clock::now();
    for (int i = 0; i < cycles; ++i) {
        next += std::chrono::seconds(1);
        std::this_thread::sleep_until(next);
        seen += WalkProcessIds() + FetchEveryWindow(server);
    }
    const double self1 = CpuSeconds(0), x1 = CpuSeconds(serverPid);
    xcb_disconnect(server.connection);
    if (seen == 0) std::fprintf(stderr, "the floor saw nothing\n");
    return {(self1 - self0) / cycles, (x1 - x0) / cycles};
}

// ---- the agent --------------------------------------------------------------

void WriteText(const std::filesystem::path &path, const std::string &text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A configuration as an administrator writes it: trace off, applications
// without a definition metered, 100 definitions none of the processes match.
std::string Configure(const TemporaryDirectory &directory) {
    const std::filesystem::path root = directory.path();
    WriteText(root / "server/LOGS/.keep", "");
    WriteText(root / "server/SYSTEM/PLV.INI", "[Pelvantine]\r\n");
    std::string definitions;
    for (int i = 0; i < 100; ++i)
        definitions += "[Application " + std::to_string(i) + "]\nFileName = APP" +
                       std::to_string(i) + ".EXE\nProduct = Suite\n";
    WriteText(root / "definitions.ini", definitions);
    WriteText(root / "agent.ini", "[Agent]\nHomePath = " + (root / "server").string() +
                                      "\nWorkstation = BENCH\nUser = bench\nDefinitions = " +
                                      (root / "definitions.ini").string() +
                                      "\n[Options]\nTrace = no\nUndefinedApplications = yes\n"
                                      "[Platform]\nDataDirectory = " +
                                      (root / "data").string() +
                                      "\nRuntimeDirectory = " + (root / "run").string() + "\n");
    return (root / "agent.ini").string();
}

struct Cell {
    int processes;
    int windows;
};

struct AgentRun {
    // From its start, and from the moment it was expected to be steady.
    double seconds;  // processor time, user and system
    double wallSeconds;
    double steadySeconds;
    double steadyWallSeconds;
    double steadyServerSeconds;  // the X server's
    long peakKilobytes;
};

// plvagent run for so many cycles; its processor time as the kernel
// accounts it at its end, and as it stood once it was expected to be steady.
AgentRun RunAgent(const std::string &program, const std::string &configuration, int cycles,
                  pid_t server, std::chrono::duration<double> steadyAfter) {
    std::vector<std::string> words{program,       "run",      "--config",
                                   configuration, "--cycles", std::to_string(cycles)};
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);  // its start line
    const auto start = Clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "%s cannot be started\n", program.c_str());
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    std::this_thread::sleep_for(steadyAfter);
    const auto steady = Clock::now();
    const double agentAtSteady = CpuSeconds(pid), serverAtSteady = CpuSeconds(server);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const auto end = Clock::now();
    AgentRun run{};
    run.seconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    run.wallSeconds = std::chrono::duration<double>(end - start).count();
    run.steadySeconds = run.seconds - agentAtSteady;
    run.steadyWallSeconds = std::chrono::duration<double>(end - steady).count();
    run.steadyServerSeconds = CpuSeconds(server) - serverAtSteady;
    run.peakKilobytes = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "plvagent ended with %d\n", status);
    return run;
}

struct Result {
    std::size_t machineProcesses;
    double agentSeconds;   // per steady cycle
    double wallSeconds;    // per steady cycle
    double serverSeconds;  // the X server's, per steady cycle
    long peakKilobytes;    // over the longer run
    Floor floor;
};

// The steady cycles of a run, the first scan's meeting every process as new
// set aside.
Result Measure(const std::string &agentProgram, const std::string &self, const Cell &cell,
               int cycles) {
    std::string whyNot;
    auto server = XvfbServer::Start({}, whyNot);
    if (!server) {
        std::fprintf(stderr, "no X server: %s\n", whyNot.c_str());
        std::exit(1);
    }
    std::vector<std::unique_ptr<ChildProcess>> children;
    for (int made = 0; made < cell.windows; made += kWindowsPerOwner) {
        children.push_back(std::make_unique<ChildProcess>(
            std::vector<std::string>{self, "--own-windows", server->display(),
                                     std::to_string(kWindowsPerOwner), std::to_string(made)}));
    }
    for (int i = 0; i < cell.processes; ++i)
        children.push_back(
            std::make_unique<ChildProcess>(std::vector<std::string>{"sleep", "infinity"}));
    if (cell.windows > 0) {  // every owner has made its windows
        xcb_connection_t *watcher = xcb_connect(server->display().c_str(), nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(watcher)).data->root;
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        for (std::size_t made = 0; made < std::size_t(cell.windows) && Clock::now() < deadline;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            auto *tree = xcb_query_tree_reply(watcher, xcb_query_tree(watcher, root), nullptr);
            made = tree != nullptr ? std::size_t(xcb_query_tree_children_length(tree)) : 0;
            std::free(tree);
        }
        xcb_disconnect(watcher);
    }

    TemporaryDirectory directory;
    const std::string configuration = Configure(directory);
    ::setenv("DISPLAY", server->display().c_str(), 1);
    // The first cycles meet every process as new: a run of those alone tells
    // when a longer run is steady.
    constexpr int kWarmCycles = 3;
    const AgentRun warm = RunAgent(agentProgram, configuration, kWarmCycles, server->process().pid(),
                                   std::chrono::seconds(0));
    const AgentRun run = RunAgent(agentProgram, configuration, kWarmCycles + cycles,
                                  server->process().pid(), std::chrono::duration<double>(warm.wallSeconds));

    Result result{};
    result.machineProcesses = WalkProcessIds();
    result.agentSeconds = run.steadySeconds / cycles;
    result.wallSeconds = run.steadyWallSeconds / cycles;
    result.serverSeconds = run.steadyServerSeconds / cycles;
    result.peakKilobytes = run.peakKilobytes;
    result.floor = MeasureFloor(server->display(), server->process().pid(), cycles);
    return result;
}

std::vector<int> Numbers(const std::string &list) {
    std::vector<int> numbers;
    std::istringstream text(list);
    for (std::string item; std::getline(text, item, ',');)
        numbers.push_back(std::atoi(item.c_str()));
    return numbers;
}

std::string Milliseconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, seconds < 0.01 ? "%.3f ms" : "%.2f ms", seconds * 1e3);
    return text;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 5 && std::strcmp(argv[1], "--own-windows") == 0)
        return OwnWindows(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));

    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string agentProgram = (std::filesystem::path(self).parent_path() / "plvagent").string();
    std::vector<int> processes{100, 1000, 5000}, windows{0, 50, 200};
    int cycles = 20;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--agent")
            agentProgram = argv[i + 1];
        else if (option == "--processes")
            processes = Numbers(argv[i + 1]);
        else if (option == "--windows")
            windows = Numbers(argv[i + 1]);
        else if (option == "--cycles")
            cycles = std::atoi(argv[i + 1]);
    }
    std::printf("agent %s, load average %s at the start\n\n", agentProgram.c_str(),
                LoadAverage().c_str());
    std::printf(
        "| sleeping processes | windows | processes in all | agent per cycle | floor | ratio "
        "| agent's cycle, wall time | X server per agent cycle | X server per floor | agent peak "
        "RSS "
        "| load |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
    std::fflush(stdout);
    for (int n : processes) {
        for (int w : windows) {
            const Result r = Measure(agentProgram, self, {n, w}, cycles);
            std::printf("| %d | %d | %zu | %s | %s | %.1f | %s | %s | %s | %.1f MB | %s |\n", n, w,
                        r.machineProcesses, Milliseconds(r.agentSeconds).c_str(),
                        Milliseconds(r.floor.seconds).c_str(), r.agentSeconds / r.floor.seconds,
                        Milliseconds(r.wallSeconds).c_str(), Milliseconds(r.serverSeconds).c_str(),
                        Milliseconds(r.floor.serverSeconds).c_str(), double(r.peakKilobytes) / 1024,
                        LoadAverage().c_str());
            std::fflush(stdout);
        }
    }
    return 0;
}
