// The whole agent on this machine: the shared library, driven through its
// exports by a small host inside the test, meters a real X client under Xvfb,
// from its start to its end, into the day's log file.

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "log_reader.h"
#include "platform/posix/posix_platform.h"
#include "plvlib32.h"
#include "support/child_process.h"
#include "support/temporary_directory.h"
#include "support/x_test_client.h"
#include "support/xvfb_server.h"

namespace plv::testing {
namespace {

using namespace std::chrono_literals;

constexpr char kClient[] = "/usr/bin/xeyes";
constexpr char kClientDosPath[] = "Z:\\usr\\bin\\xeyes";

std::vector<std::string> Fields(const std::string &line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, ';');) fields.push_back(field);
    return fields;
}

// The host side: the agent's records, its window and its directories, all in
// temporary directories, the home path on drive H:.
class MeteringHost : public ::testing::Test {
  protected:
    MeteringHost() {
        ::setenv("PLV_DATA_DIR", data.path().c_str(), 1);
        ::setenv("PLV_RUNTIME_DIR", runtimeDirectory.path().c_str(), 1);
        posix::MapDrive('H', home.path());
        std::filesystem::create_directories(home / "PLV/LOGS");
        std::filesystem::create_directories(home / "PLV/SYSTEM");
        std::ofstream(home / "PLV/SYSTEM/PLV.INI") << "[Pelvantine]\n";

        agent.runtime = &runtime;
        agent.agentDirectory = "C:\\PLV";
        agent.updateInterval = 15;
        agent.updateCountdown = 900;
        agent.closeRetryCount = 2;
        agent.agentNumber = 12;
        // Every application is metered: the client needs no definition.
        agent.optionFlags = PLV_OPT_TRACE | PLV_OPT_UNDEFINED_APPS;
        std::strcpy(agent.logHeaderText, "Pelvantine usage log");
        std::strcpy(runtime.workstationName, "WS-LINUX");
        std::strcpy(runtime.userName, "TESTER");
        std::strcpy(runtime.homePath, "H:\\PLV");
        std::strcpy(runtime.settingsFilePath, "H:\\PLV\\SYSTEM\\PLV.INI");
    }

    // The records of every log file so far whose event is `event` and whose
    // application is the client.
    std::vector<std::vector<std::string>> Logged(const std::string &event) {
        std::vector<std::vector<std::string>> records;
        for (const auto &file : std::filesystem::directory_iterator(home / "PLV/LOGS")) {
            std::ifstream in(file.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), {}};
            const auto log = logs::ParseLogFile(bytes);
            if (!log) continue;
            for (const auto &record : log->records) {
                std::vector<std::string> fields = Fields(record.line);
                if (fields.size() > 7 && fields[6] == kClientDosPath && fields[7] == event)
                    records.push_back(fields);
            }
        }
        return records;
    }

    // Runs the host's message loop until the condition holds; false when
    // twenty seconds pass first.
    bool PumpUntil(const std::function<bool()> &condition) {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            posix::PumpMessages(std::chrono::steady_clock::now() + 250ms);
        }
        return true;
    }

    std::string TraceTail() const {
        std::string tail;
        const std::size_t from = trace.size() > 40 ? trace.size() - 40 : 0;
        for (std::size_t i = from; i < trace.size(); ++i) tail += trace[i] + "\n";
        return tail;
    }

    TemporaryDirectory data, runtimeDirectory, home;
    PLVAgentRuntime runtime{};
    PLVAgentState agent{};
    std::vector<std::string> trace;
};

TEST_F(MeteringHost, LogsARealXClientInitiatedAndTerminatedWithItsDosProgramPath) {
    std::string whyNot;
    auto xvfb = XvfbServer::Start({}, whyNot);
    if (!xvfb) GTEST_SKIP() << "no X server for the client: " << whyNot;
    ::setenv("DISPLAY", xvfb->display().c_str(), 1);

    ChildProcess client({kClient});
    ASSERT_TRUE(client.started()) << kClient << " (Debian package x11-apps)";
    XTestClient observer(xvfb->display());
    ASSERT_TRUE(observer.connected());
    ASSERT_NE(observer.AwaitWindowOfClass("XEyes"), 0u);

    HWND window = posix::CreateHostWindow("Pelvantine Agent", PLV_TRACE_LISTBOX_ID,
                                          [this](const std::string &line) { trace.push_back(line); });
    PLVHWND *activeWindow = nullptr;
    InitializePLVLIB(window, &agent, "end-to-end test host", &activeWindow);
    ASSERT_EQ(InitializeMetering(), 1) << TraceTail();
    ASSERT_EQ(StartTimer(), 1);

    EXPECT_TRUE(PumpUntil([&] { return !Logged("Initiated").empty(); })) << TraceTail();
    client.Kill();
    EXPECT_TRUE(PumpUntil([&] { return !Logged("Terminated").empty(); })) << TraceTail();

    StopTimer();
    DLLShutdown();
    RemoveLinkedList(&runtime.pendingEvents);
    RemoveLinkedList(&runtime.pendingDefinitions);
    RemoveLinkedList(&runtime.meteredApps);
    posix::DestroyHostWindow(window);

    const auto initiated = Logged("Initiated");
    const auto terminated = Logged("Terminated");
    ASSERT_EQ(initiated.size(), 1u) << TraceTail();
    ASSERT_EQ(terminated.size(), 1u) << TraceTail();
    EXPECT_EQ(initiated[0][2], "WS-LINUX");
    EXPECT_EQ(initiated[0][3], "TESTER");
    // The end carries the start's date and time.
    ASSERT_GE(terminated[0].size(), 11u);
    EXPECT_EQ(terminated[0][9], initiated[0][0]);
    EXPECT_EQ(terminated[0][10], initiated[0][1]);
}

}  // namespace
}  // namespace plv::testing
