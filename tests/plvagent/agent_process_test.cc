// plvagent as an administrator runs it: refusing a bad configuration before
// it starts anything, running the cycles asked for, stopping cleanly on
// SIGTERM and SIGINT, saying why metering could not start, and importing
// recorded definitions.
#include "agent_process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "agent_test_files.h"
#include "agent_world.h"
#include "platform/posix/posix_platform.h"

namespace plvagent::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr auto kStartLimit = 20s;  // sanitizer builds start slowly

int CountEvents(const std::string &trace, const std::string &eventText) {
    int count = 0;
    for (std::size_t at = 0; (at = trace.find(";Pelvantine;" + eventText + ";", at)) != std::string::npos; ++at)
        ++count;
    return count;
}

TEST(AgentCommand, RefusesABadConfigurationBeforeStartingAnything) {
    AgentWorld world;
    world.Configure("UpdateInterval = soon\nWorkstation = a;b", "[Options]\nTrace = yes\n");
    for (const char *command : {"run", "check-config"}) {
        AgentProcess agent = world.Agent(command);
        ASSERT_EQ(agent.Wait(kStartLimit), 1) << command;
        EXPECT_THAT(agent.Errors(), HasSubstr(world.configurationFile() +
                                              ":3: UpdateInterval: expected a whole number from 1 to 10080"));
        EXPECT_THAT(agent.Errors(), HasSubstr(world.configurationFile() + ":4: Workstation: must not contain ';'"));
        EXPECT_EQ(agent.Output(), "") << "no banner: the library was not started";
        EXPECT_TRUE(std::filesystem::is_empty(world.logsDirectory()));
        EXPECT_FALSE(std::filesystem::exists(world.directory() + "/plvagent-data"));
    }
}

TEST(AgentCommand, ChecksAConfigurationAndShowsWhatItWouldUse) {
    AgentWorld world;
    WriteFile(world.directory() + "/definitions.ini", "[Eyes]\nFileName = xeyes\n");
    world.Configure("Workstation = WS-017\nDefinitions = " + world.directory() + "/definitions.ini",
                    "[Options]\nSharedTimer = yes\nTrace = yes\n");
    AgentProcess agent = world.Agent("check-config");
    ASSERT_EQ(agent.Wait(kStartLimit), 0) << agent.Errors();
    EXPECT_THAT(agent.Output(), HasSubstr("home path: H:\\PLV\n"));
    EXPECT_THAT(agent.Output(), HasSubstr("options: Trace, SharedTimer\n"));
    EXPECT_THAT(agent.Output(), HasSubstr("workstation: WS-017\n"));
    EXPECT_THAT(agent.Output(), HasSubstr("definition: Eyes\n"));
    EXPECT_EQ(agent.Errors(), "");
}

// The agent's own "Updated" event falls due after UpdateCountdown cycles:
// it shows in the trace only when that many cycles ran. The host counts the
// cycles with a timer of its own beside the library's; on a loaded machine
// a count that fell behind runs once for the periods it missed, so the
// library may run a cycle or two more than asked, never fewer. A countdown
// of the cycles asked therefore gives one "Updated" event however the two
// timers meet, and one of six more than asked gives none. The trace goes to
// standard output, or to the file asked for.
TEST(AgentCommand, RunsTheCyclesAskedForAndStops) {
    ASSERT_TRUE(ProcessListModuleIsBuilt());
    for (const auto &[cycles, countdown, updates, toFile] :
         {std::tuple{2, 8, 0, false}, std::tuple{3, 3, 1, true}}) {
        AgentWorld world;
        world.Configure("UpdateInterval = 1\nUpdateCountdown = " + std::to_string(countdown) +
                            "\nAgentNumber = 7",
                        "[Options]\nTrace = yes\n");
        const std::string traceFile = world.directory() + "/trace.txt";
        std::vector<std::string> arguments = {"--cycles", std::to_string(cycles)};
        if (toFile) arguments.insert(arguments.end(), {"--trace-file", traceFile});
        AgentProcess agent = world.Agent("run", arguments);
        ASSERT_EQ(agent.Wait(kStartLimit + std::chrono::seconds(cycles)), 0) << agent.Errors();
        const std::string trace = toFile ? ReadFile(traceFile) : agent.Output();
        if (toFile) {
            EXPECT_EQ(agent.Output(), "");
        }
        EXPECT_THAT(trace, HasSubstr(" Pelvantine Workstation Agent host 2.8 (commit "));
        EXPECT_THAT(trace, HasSubstr(") for Linux\n"));
        EXPECT_THAT(trace, HasSubstr(" PLVLIB32.DLL Version 2.8 built on Aug 20 1998 at 15:11:57, US build\n"));
        EXPECT_EQ(CountEvents(trace, "Updated"), updates) << cycles << " cycles\n" << trace;
    }
}

// The 16-bit driver that metering start-up enters among the boot drivers
// is taken out again by DLLShutdown: its absence after the stop shows the
// shutdown calls ran.
std::string BootDrivers(const std::string &dataDirectory) {
    plv::posix::SetDataDirectory(dataDirectory);
    plv::posix::PosixPlatform os;
    HKEY key = nullptr;
    if (os.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\WOW\\boot", 0,
                         KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return "(no key)";
    char value[512] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    const LSTATUS status = os.RegQueryValueExA(key, "drivers", nullptr, &type, reinterpret_cast<BYTE *>(value), &size);
    os.RegCloseKey(key);
    return status == ERROR_SUCCESS ? value : "(no value)";
}

class AgentStop : public ::testing::TestWithParam<int> {};

TEST_P(AgentStop, ClosesCleanlyOnTheSignal) {
    ASSERT_TRUE(ProcessListModuleIsBuilt());
    AgentWorld world;
    world.Configure("", "[Options]\nTrace = yes\n");
    AgentProcess agent = world.Agent("run");
    ASSERT_TRUE(Eventually([&] { return BootDrivers(world.dataDirectory()).find("plvnts16.dll") != std::string::npos; },
                           kStartLimit))
        << "metering did not start: " << agent.Errors();

    agent.Signal(GetParam());
    ASSERT_EQ(agent.Wait(10s), 0) << agent.Errors();
    EXPECT_THAT(BootDrivers(world.dataDirectory()), Not(HasSubstr("plvnts16.dll")));
    // The start line and warnings (about the display, say), no error.
    std::istringstream lines(agent.Errors());
    for (std::string line; std::getline(lines, line);)
        EXPECT_THAT(line, ::testing::AnyOf(::testing::StartsWith("plvagent: starting "),
                                           ::testing::StartsWith("plvagent: warning: ")));
}

INSTANTIATE_TEST_SUITE_P(AgentCommand, AgentStop, ::testing::Values(SIGTERM, SIGINT),
                         [](const auto &info) { return info.param == SIGTERM ? "SIGTERM" : "SIGINT"; });

// plvagent run from a copy of the build's agent and library with the
// further libraries, and the process-list module given if any.
AgentProcess RunCopy(const AgentWorld &world, std::vector<std::string> libraries,
                     const std::string &processList = "") {
    const std::filesystem::path built = std::filesystem::path(AgentProgram()).parent_path();
    const std::filesystem::path copy = world.directory() + "/bin";
    std::filesystem::create_directories(copy);
    libraries.insert(libraries.end(), {"plvagent", "libplvlib32.so", "libplvposix.so"});
    for (const std::string &file : libraries) std::filesystem::copy_file(built / file, copy / file);
    if (!processList.empty()) std::filesystem::copy_file(processList, copy / "libplvntprl.so");
    return AgentProcess((copy / "plvagent").string(), {"run", "--config", world.configurationFile()},
                        world.directory());
}

// Without its process-list module the library cannot meter: the agent says
// which module, records the failure for the shared log, and exits. With the
// share away, the failure waits for the next start, which writes it.
TEST(AgentCommand, SaysWhyMeteringCouldNotStart) {
    AgentWorld world;
    world.Configure("Workstation = WS-017");
    const std::string away = world.directory() + "/LOGS.away";
    std::filesystem::rename(world.logsDirectory(), away);
    AgentProcess agent = RunCopy(world, {});
    ASSERT_EQ(agent.Wait(kStartLimit), 2);
    EXPECT_THAT(agent.Errors(), HasSubstr("plvagent: metering could not start: Initialization Failure, PLVNTPRL.DLL "
                                          "(its module file libplvntprl.so is missing or incomplete)\n"));
    std::filesystem::rename(away, world.logsDirectory());
    AgentProcess next = world.Agent("run", {"--cycles", "1"});
    ASSERT_EQ(next.Wait(kStartLimit + 1s), 0) << next.Errors();
    EXPECT_THAT(world.Events("Pelvantine", "Initialization Failure"),
                ::testing::Contains(::testing::AllOf(::testing::Contains("WS-017"),
                                                     ::testing::Contains("PLVNTPRL.DLL"))));
}

TEST(AgentCommand, ImportsRecordedDefinitionsOnce) {
    AgentWorld world;
    const std::string day = world.directory() + "/19980820.DEF";
    WriteFile(day, "19980820;09:00:00;WS-1;A;C;Z:\\usr\\bin;xlogo;20230101;20000;xlogo;XLogo;;;;0000\r\n");
    const std::string definitions = world.directory() + "/definitions.ini";
    WriteFile(definitions, "");
    world.Configure("Definitions = " + definitions);
    // The file the configuration names, then the same file named itself.
    const std::pair<std::vector<std::string>, std::string> runs[] = {
        {{"--config", world.configurationFile()},
         "plvagent: imported [xlogo] from " + day + ":1 into " + definitions + "\n"},
        {{"--definitions", definitions}, "plvagent: skipped "}};
    for (const auto &[target, expected] : runs) {
        std::vector<std::string> arguments = {"import-defs", "--exact", day};
        arguments.insert(arguments.end(), target.begin(), target.end());
        AgentProcess agent(AgentProgram(), arguments, world.directory());
        ASSERT_EQ(agent.Wait(kStartLimit), 0) << agent.Errors();
        EXPECT_THAT(agent.Errors(), HasSubstr(expected));
    }
    const std::string written = ReadFile(definitions);
    const std::size_t first = written.find("[xlogo]\r\n");
    ASSERT_NE(first, std::string::npos) << written;
    EXPECT_NE(written.find("\r\nFileName=xlogo\r\nDirectory=Z:\\usr\\bin\r\n", first), std::string::npos)
        << written;
    EXPECT_EQ(written.find("[xlogo", first + 1), std::string::npos) << written;

    // A configuration that names no definitions file leaves nowhere to import to.
    world.Configure("");
    AgentProcess nowhere(AgentProgram(),
                         {"import-defs", day, "--config", world.configurationFile()},
                         world.directory());
    EXPECT_EQ(nowhere.Wait(kStartLimit), 1);
    EXPECT_THAT(nowhere.Errors(), HasSubstr(world.configurationFile() +
                                            ": Definitions: names no definitions file\n"));
}

}  // namespace
}  // namespace plvagent::testing
