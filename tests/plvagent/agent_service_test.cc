// plvagent as a service of the user's session: what it says at the start
// and while events wait, that no event is lost or written twice across a
// share that goes away, a stop or a kill, one agent per session, a reload
// on SIGHUP, and its command-line conventions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "agent_process.h"
#include "agent_test_files.h"
#include "agent_world.h"
#include "support/child_process.h"
#include "support/x_test_client.h"
#include "support/xvfb_server.h"

namespace plvagent::testing {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr auto kLimit = 30s;  // sanitizer builds on a loaded machine start slowly

// With no agent.ini below config, the built-in configuration, its files below
// data. Its runtime directory is there too: a run takes the session lock in
// it, which an agent beside the test would hold in the user's default one.
std::vector<std::string> BuiltInEnvironment(const std::string &config, const std::string &data) {
    return {"XDG_CONFIG_HOME=" + config, "XDG_DATA_HOME=" + data, "PLV_DATA_DIR=",
            "PLV_RUNTIME_DIR=" + data + "/run"};
}

std::size_t Count(const std::string &text, const std::string &part) {
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size())
        ++count;
    return count;
}

// An X server of the test's own, named by DISPLAY for the clients and the
// agents the test starts.
class WithDisplay : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string whyNot;
        server_ = plv::testing::XvfbServer::Start({}, whyNot);
        ASSERT_TRUE(server_) << whyNot;
        ::setenv("DISPLAY", server_->display().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("DISPLAY"); }

    std::string display() const { return server_->display(); }

    // A client whose window is mapped.
    std::unique_ptr<plv::testing::ChildProcess> StartClient(const char *program,
                                                            const char *windowClass) {
        auto client =
            std::make_unique<plv::testing::ChildProcess>(std::vector<std::string>{program});
        plv::testing::XTestClient x(display());
        EXPECT_NE(x.AwaitWindowOfClass(windowClass), 0u) << program << " shows no window";
        return client;
    }

  private:
    std::unique_ptr<plv::testing::XvfbServer> server_;
};

// What the start says: the line, always, and the display's warning; where
// the standard error is the journal's stream, each line says its priority.
TEST(AgentStartLine, NamesTheConfigurationDefinitionsLogAndDisplayAndWarns) {
    std::string whyNot;
    const auto server = plv::testing::XvfbServer::Start({}, whyNot);
    ASSERT_TRUE(server) << whyNot;
    const struct {
        std::string display;
        const char *warning;  // null: none about the display
        bool toJournal;
    } kCases[] = {
        {"",
         "warning: DISPLAY is not set: no application window can be seen, so nothing is metered",
         true},
        {":59999",
         "warning: the display :59999 cannot be opened: no application window can be seen", false},
        {server->display(), nullptr, false},
    };
    for (const auto &c : kCases) {
        AgentWorld world;
        WriteFile(world.directory() + "/definitions.ini",
                  "[Eyes]\nFileName = xeyes\n[Logo]\nFileName = xlogo\n");
        world.Configure("Definitions = " + world.directory() + "/definitions.ini");
        WriteFile(world.directory() + "/.tool-errors", "");
        struct stat err {};
        ASSERT_EQ(::stat((world.directory() + "/.tool-errors").c_str(), &err), 0);
        // A stream other than the standard error's is no journal.
        const std::string journal =
            c.toJournal ? std::to_string(err.st_dev) + ":" + std::to_string(err.st_ino) : "1:1";
        AgentProcess agent = world.Agent("run", {"--cycles", "1"},
                                         {"DISPLAY=" + c.display, "JOURNAL_STREAM=" + journal});
        ASSERT_EQ(agent.Wait(kLimit), 0) << agent.Errors();
        const std::string errors = agent.Errors();
        EXPECT_THAT(errors, StartsWith((c.toJournal ? "<6>" : "") +
                                       std::string("plvagent: starting 2.8 (commit ")));
        EXPECT_THAT(errors,
                    HasSubstr("): configuration " + world.configurationFile() +
                              ", 2 definitions, shared log " + world.logsDirectory() +
                              ", display " + (c.display.empty() ? "none" : c.display) + "\n"));
        if (c.warning != nullptr) {
            EXPECT_THAT(errors, HasSubstr((c.toJournal ? "\n<4>plvagent: " : "\nplvagent: ") +
                                          std::string(c.warning)));
        } else {
            EXPECT_THAT(errors, Not(HasSubstr("warning:")));
        }
    }
}

// The share away: every event waits, the agent says so, and writes them
// once the share is back.
class HeldEvents : public WithDisplay {
  protected:
    void SetUp() override {
        WithDisplay::SetUp();
        // One attempt at the shared log after each event, made in the cycle
        // that built it: once the agent says it holds an event, only the
        // host's retry tries the log again.
        world.Configure("CloseRetryCount = 0",
                        "[Options]\nTrace = yes\nUndefinedApplications = yes\n");
        std::filesystem::rename(world.logsDirectory(), away());
    }
    void BringShareBack() { std::filesystem::rename(away(), world.logsDirectory()); }
    std::string away() const { return world.directory() + "/LOGS.away"; }
    std::string SpoolPath() const {
        std::error_code notMadeYet;
        for (const auto &entry :
             std::filesystem::directory_iterator(world.dataDirectory(), notMadeYet)) {
            if (entry.path().extension() == ".events") return entry.path();
        }
        return "";
    }
    std::string Spool() const {
        const std::string path = SpoolPath();
        return path.empty() ? "" : ReadFile(path);
    }

    AgentWorld world;
};

TEST_F(HeldEvents, AreReportedAndWrittenOnceWhenTheShareAnswersAgain) {
    AgentProcess agent = world.Agent("run");
    // Every start on Linux records its "Initialization Failure" for PLVWOW32.DLL.
    ASSERT_TRUE(agent.Says("warning: the log files cannot be written (its directory does not "
                           "exist): holding 1 event, tried again every cycle\n"));
    const auto logo = StartClient("xlogo", "XLogo");
    ASSERT_TRUE(agent.Says("warning: holding 2 events\n"));
    BringShareBack();
    ASSERT_TRUE(agent.Says("plvagent: the log files are written again: no event is held\n"));
    agent.Signal(SIGTERM);
    ASSERT_EQ(agent.Wait(kLimit), 0) << agent.Errors();
    EXPECT_EQ(world.Events("xlogo", "Initiated").size(), 1u);
    EXPECT_EQ(world.Events("Pelvantine", "Initialization Failure").size(), 1u);
    EXPECT_EQ(Count(agent.Errors(), "holding"), 2u) << "said once per change:\n"
                                                    << agent.Errors();
    EXPECT_EQ(Spool(), "") << "nothing is left pending";
}

// Held events with nowhere to keep them: said once, and so is the spool's return.
TEST_F(HeldEvents, ASpoolThatCannotBeWrittenIsSaidOnceAndSoIsItsReturn) {
    AgentProcess agent = world.Agent("run");
    ASSERT_TRUE(Eventually([&] { return !Spool().empty(); }, kLimit)) << agent.Errors();
    const std::string spool = SpoolPath();
    std::filesystem::remove(spool);
    std::filesystem::create_directories(spool + "/in-the-way");
    const auto logo = StartClient("xlogo", "XLogo");
    ASSERT_TRUE(agent.Says("warning: the spool of pending events cannot be written: " + spool +
                           ": Is a directory; events held now would be lost at a crash\n"));
    std::filesystem::remove_all(spool);
    ASSERT_TRUE(agent.Says("plvagent: the spool of pending events is written again: " + spool));
    EXPECT_THAT(Spool(), HasSubstr("\\xlogo;Initiated;"));
    agent.Signal(SIGTERM);
    ASSERT_EQ(agent.Wait(kLimit), 0) << agent.Errors();
    EXPECT_EQ(Count(agent.Errors(), "cannot be written: " + spool), 1u) << agent.Errors();
}

// A stop, or a kill once the spool holds the events, while the share is
// away: the next start writes each of them once, and keeps aside a spool
// with a line it cannot read.
class HeldAcrossAStop : public HeldEvents, public ::testing::WithParamInterface<int> {};

TEST_P(HeldAcrossAStop, AreWrittenOnceByTheNextStart) {
    const int stop = GetParam();
    {
        AgentProcess agent = world.Agent("run");
        const auto logo = StartClient("xlogo", "XLogo");
        ASSERT_TRUE(agent.Says("holding 2 events"));
        if (stop == SIGKILL) {
            // Kept up to date each cycle: what waited a cycle ago survives a crash.
            ASSERT_TRUE(Eventually([&] { return Count(Spool(), "\n") == 3; }, kLimit)) << Spool();
        }
        agent.Signal(stop);
        ASSERT_EQ(agent.Wait(kLimit), stop == SIGKILL ? 128 + SIGKILL : 0) << agent.Errors();
        if (stop == SIGTERM) {
            EXPECT_THAT(agent.Errors(),
                        HasSubstr("warning: stopping with 2 events not yet written, kept in " +
                                  world.dataDirectory() + "/pending-"));
        }
    }
    EXPECT_THAT(Spool(), HasSubstr("\\xlogo;Initiated;"));
    EXPECT_THAT(Spool(), HasSubstr("shared\t"));
    const std::string spool = SpoolPath(), damaged = Spool() + "shared no tab\n";
    WriteFile(spool, damaged);

    BringShareBack();
    AgentProcess agent = world.Agent("run");
    ASSERT_TRUE(Eventually(
        [&] { return !world.Events("xlogo", "Initiated").empty() && Spool().empty(); }, kLimit))
        << agent.Errors();
    agent.Signal(SIGTERM);
    ASSERT_EQ(agent.Wait(kLimit), 0) << agent.Errors();
    EXPECT_THAT(agent.Errors(),
                HasSubstr("plvagent: put back 2 events that the last run left pending, from "));
    EXPECT_THAT(agent.Errors(), HasSubstr("warning: " + spool + ": line 4 is no spooled event; "
                                          "kept in " + spool + ".damaged\n"));
    EXPECT_EQ(ReadFile(spool + ".damaged"), damaged);
    EXPECT_EQ(world.Events("xlogo", "Initiated").size(), 1u);
    EXPECT_EQ(world.Events("Pelvantine", "Initialization Failure").size(), 2u)
        << "one for each start";
}

INSTANTIATE_TEST_SUITE_P(AgentService, HeldAcrossAStop, ::testing::Values(SIGTERM, SIGKILL),
                         [](const auto &info) {
                             return info.param == SIGTERM ? "SIGTERM" : "SIGKILL";
                         });

class AgentSession : public WithDisplay {
  protected:
    AgentWorld world;
};

// A second agent of the same user and display would meter everything twice.
TEST_F(AgentSession, AllowsOneAgentPerUserAndDisplay) {
    world.Configure("");
    AgentProcess first = world.Agent("run");
    ASSERT_TRUE(first.Says("starting"));
    std::vector<std::filesystem::perms> locks;  // for the user alone, as the spool is
    std::string lock;
    for (const auto &entry : std::filesystem::directory_iterator(world.directory() + "/run")) {
        if (entry.path().extension() != ".lock") continue;
        locks.push_back(entry.status().permissions());
        lock = entry.path();
    }
    EXPECT_THAT(locks, ::testing::ElementsAre(std::filesystem::perms(0600)));

    // Each agent keeps its output in its own working directory.
    for (const char *directory : {"/second", "/third"})
        std::filesystem::create_directories(world.directory() + directory);
    AgentProcess second(AgentProgram(), {"run", "--config", world.configurationFile()},
                        world.directory() + "/second");
    ASSERT_EQ(second.Wait(kLimit), 2) << second.Errors();
    EXPECT_THAT(second.Errors(),
                HasSubstr("plvagent: not started: another plvagent (process " +
                          std::to_string(first.pid()) + ") meters this session already"));
    EXPECT_THAT(second.Errors(), Not(HasSubstr("starting")));

    AgentProcess otherDisplay(AgentProgram(),
                              {"run", "--config", world.configurationFile(), "--cycles", "1"},
                              world.directory() + "/third", {"DISPLAY=:59999"});
    EXPECT_EQ(otherDisplay.Wait(kLimit), 0) << otherDisplay.Errors();
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(kLimit), 0);

    // A lock that takes no holder (a pipe here; a full disk alike) is named with the reason.
    std::filesystem::remove(lock);
    ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0);
    AgentProcess unwritten(AgentProgram(), {"run", "--config", world.configurationFile()},
                           world.directory() + "/second");
    EXPECT_EQ(unwritten.Wait(kLimit), 2);
    EXPECT_THAT(unwritten.Errors(), HasSubstr("not started: " + lock + ": Invalid argument\n"));
}

// SIGHUP between two cycles: the new definitions meter what the old ones
// passed over; a file with a problem changes nothing; settings the library
// took at the start are named.
TEST_F(AgentSession, ReloadsDefinitionsOnSighup) {
    const std::string definitions = world.directory() + "/definitions.ini";
    WriteFile(definitions, "[Eyes]\nFileName = xeyes\n");
    world.Configure("Definitions = " + definitions, "[Options]\nTrace = yes\n");
    AgentProcess agent = world.Agent("run");
    ASSERT_TRUE(agent.Prints("Process added"));
    {
        const auto logo = StartClient("xlogo", "XLogo");
        ASSERT_TRUE(agent.Prints("\\xlogo,"));
    }
    EXPECT_EQ(world.Events("xlogo", "Initiated").size(), 0u) << "no definition knew it";

    WriteFile(definitions, "[Logo]\nFileName = xlogo\nSize = 12\n");
    agent.Signal(SIGHUP);
    ASSERT_TRUE(agent.Says("nothing was reloaded"));
    EXPECT_THAT(agent.Errors(), HasSubstr(definitions + ":3: Size: unknown key\n"));

    WriteFile(definitions, "[Logo]\nFileName = xlogo\n");
    world.Configure("Definitions = " + definitions + "\nWorkstation = WS-NEW",
                    "[Options]\nTrace = yes\n");
    agent.Signal(SIGHUP);
    ASSERT_TRUE(agent.Says("plvagent: reloaded " + world.configurationFile() +
                           ": 1 definitions from " + definitions));
    EXPECT_THAT(
        agent.Errors(),
        HasSubstr("warning: changed settings take effect only at the next start: Workstation\n"));
    {
        const auto logo = StartClient("xlogo", "XLogo");
        ASSERT_TRUE(Eventually([&] { return world.Events("xlogo", "Initiated").size() == 1; },
                               kLimit))
            << agent.Output();
    }
    // A configuration that names no definitions file reloads to none.
    world.Configure("Workstation = WS-NEW", "[Options]\nTrace = yes\n");
    agent.Signal(SIGHUP);
    ASSERT_TRUE(agent.Says("plvagent: reloaded " + world.configurationFile() + ": 0 definitions and"));
    agent.Signal(SIGTERM);
    ASSERT_EQ(agent.Wait(kLimit), 0) << agent.Errors();
    for (const auto &event : world.LogEvents()) EXPECT_NE(event.at(2), "WS-NEW");
}

TEST(AgentCommandLine, ExitsTwoOnAUsageErrorAndNamesItsBuild) {
    AgentWorld world;
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char *output;
        const char *errors;
    } kCases[] = {
        {{"--bogus"}, 2, "", "The following argument was not expected: --bogus"},
        {{"run", "--cycles", "0"}, 2, "", "--cycles: Value 0 not in range"},
        {{"check-config", "--config"}, 2, "", "--config: 1 required TEXT missing"},
        {{"check-config", "run"}, 2, "", "The following argument was not expected: run"},
        {{"--version"}, 0, "plvagent 2.8 (commit ", ""},
        {{"--help"}, 0, "Usage:", ""},
    };
    for (const auto &c : kCases) {
        AgentProcess agent(AgentProgram(), c.arguments, world.directory());
        EXPECT_EQ(agent.Wait(kLimit), c.status) << c.arguments[0];
        EXPECT_THAT(agent.Output(), HasSubstr(c.output)) << c.arguments[0];
        EXPECT_THAT(agent.Errors(), HasSubstr(c.errors)) << c.arguments[0];
    }
}

// Without --config: the user's configuration, else the machine's, else the
// built-in one, whose files go to the data directory, never the current one.
TEST(AgentCommandLine, LooksUpItsConfigurationAndKeepsDataOutOfTheCurrentDirectory) {
    if (std::filesystem::exists("/etc/plvagent/agent.ini"))
        GTEST_SKIP() << "this machine has /etc/plvagent/agent.ini";
    AgentWorld world;
    world.Configure("Workstation = WS-XDG");
    const std::string config = world.directory() + "/config";
    const std::string data = world.directory() + "/data";
    std::filesystem::create_directories(config + "/plvagent");
    const std::string cwd = world.directory() + "/cwd";
    std::filesystem::create_directories(cwd);

    AgentProcess builtIn(AgentProgram(), {"check-config"}, cwd, BuiltInEnvironment(config, data));
    ASSERT_EQ(builtIn.Wait(kLimit), 0) << builtIn.Errors();
    EXPECT_THAT(builtIn.Output(), HasSubstr("configuration: the built-in configuration\n"));
    EXPECT_THAT(builtIn.Output(),
                HasSubstr("shared log directory: " + data + "/plvagent/server/PLV/LOGS\n"));
    EXPECT_THAT(builtIn.Output(), HasSubstr("update countdown: 900 cycles"));  // 15 minutes
    for (const auto &entry : std::filesystem::directory_iterator(cwd))
        EXPECT_THAT(entry.path().filename().string(),
                    ::testing::AnyOf(".tool-output", ".tool-errors"));

    // A data directory that cannot be made stops the agent and is named.
    const std::string plain = world.directory() + "/plain";
    std::ofstream{plain};
    AgentProcess unmade(AgentProgram(), {"check-config"}, cwd, BuiltInEnvironment(config, plain));
    EXPECT_EQ(unmade.Wait(kLimit), 1);
    EXPECT_THAT(unmade.Errors(), HasSubstr(" " + plain + "/plvagent: cannot be prepared: "));
    // So does a shared directory that cannot be made in it.
    const std::string blocked = world.directory() + "/blocked";
    std::filesystem::create_directories(blocked + "/plvagent");
    std::filesystem::permissions(blocked + "/plvagent", std::filesystem::perms::owner_all);
    std::ofstream{blocked + "/plvagent/server"};
    AgentProcess unshared(AgentProgram(), {"check-config"}, cwd, BuiltInEnvironment(config, blocked));
    EXPECT_EQ(unshared.Wait(kLimit), 1);
    EXPECT_THAT(unshared.Errors(), HasSubstr(" " + blocked + "/plvagent: cannot be prepared: " +
                                             blocked + "/plvagent/server/PLV/LOGS: "));

    std::filesystem::copy_file(world.configurationFile(), config + "/plvagent/agent.ini");
    AgentProcess user(AgentProgram(), {"check-config"}, cwd, {"XDG_CONFIG_HOME=" + config});
    ASSERT_EQ(user.Wait(kLimit), 0) << user.Errors();
    EXPECT_THAT(user.Output(), HasSubstr("configuration: " + config + "/plvagent/agent.ini\n"));
    EXPECT_THAT(user.Output(), HasSubstr("workstation: WS-XDG\n"));

    // A relative XDG_CONFIG_HOME is ignored, even where it names that file.
    std::vector<std::string> relative = BuiltInEnvironment("config", data);
    relative.push_back("HOME=" + cwd);
    AgentProcess ignored(AgentProgram(), {"check-config"}, world.directory(), relative);
    ASSERT_EQ(ignored.Wait(kLimit), 0) << ignored.Errors();
    EXPECT_THAT(ignored.Output(), HasSubstr("configuration: the built-in configuration\n"));
}

// A module that loads but lacks the network's time call leaves the
// workstation clock in use, and says so.
TEST(AgentCommandLine, ANetworkModuleWithoutTheTimeCallIsSaid) {
    AgentWorld world;
    world.Configure("", "[Time]\nNetworkKind = 3\nNetworkModule = PLVWSI32.DLL\n");
    AgentProcess agent = world.Agent("run", {"--cycles", "1"});
    ASSERT_EQ(agent.Wait(kLimit), 0) << agent.Errors();
    EXPECT_THAT(agent.Errors(), HasSubstr("the network time service of PLVWSI32.DLL could not be "
                                          "bound; the workstation clock is used\n"));
}

// A time source configured but not to be had stops the start, named,
// rather than metering on a clock the administrator did not choose.
TEST(AgentCommandLine, ATimeSourceThatCannotBeHadStopsTheStart) {
    const std::pair<const char *, const char *> kCases[] = {
        {"[Options]\nClockFile = yes\n[Time]\nClockFilePath = H:\\NONE\\CLOCK.DAT\n",
         "the clock file H:\\NONE\\CLOCK.DAT cannot be opened: "},
        {"[Time]\nNetworkKind = 3\nNetworkModule = NONE.DLL\n",
         "the network module NONE.DLL cannot be loaded: "},
    };
    for (const auto &[sections, said] : kCases) {
        AgentWorld world;
        world.Configure("", sections);
        AgentProcess agent = world.Agent("run", {"--cycles", "1"});
        EXPECT_EQ(agent.Wait(kLimit), 2) << said;
        EXPECT_THAT(agent.Errors(), HasSubstr(said));
    }
}

// A home path without its log directory or settings file is named, by the
// check and at the start of a run.
TEST(AgentCommandLine, AHomePathTheAgentCannotUseIsWarnedAbout) {
    AgentWorld world;
    world.Configure("");
    std::filesystem::remove_all(world.directory() + "/server/PLV/LOGS");
    std::filesystem::remove(world.directory() + "/server/PLV/SYSTEM/PLV.INI");
    const char *const kWarnings[] = {
        "H:\\PLV\\LOGS is not a directory: the agent cannot write there",
        "H:\\PLV\\SYSTEM\\PLV.INI does not exist: the library will report a network failure "
        "at each look"};
    const std::vector<std::string> kCommands[] = {{"check-config"}, {"run", "--cycles", "1"}};
    for (const std::vector<std::string> &command : kCommands) {
        AgentProcess agent = world.Agent(command[0], {command.begin() + 1, command.end()});
        agent.Wait(kLimit);
        for (const char *warning : kWarnings)
            EXPECT_THAT(agent.Errors(), HasSubstr(warning)) << command[0];
    }
}

// The built-in configuration makes its shared directory and settings file at
// the first run, and the next run starts on them. It is no file, so a reload
// has nothing to read.
TEST(AgentCommandLine, TheBuiltInConfigurationRunsAgainOnWhatItsFirstRunMade) {
    if (std::filesystem::exists("/etc/plvagent/agent.ini"))
        GTEST_SKIP() << "this machine has /etc/plvagent/agent.ini";
    AgentWorld world;
    const std::string data = world.directory() + "/data";
    const auto environment = BuiltInEnvironment(world.directory() + "/config", data);
    AgentProcess first(AgentProgram(), {"run"}, world.directory(), environment);
    ASSERT_TRUE(first.Prints("Process added")) << first.Errors();
    first.Signal(SIGHUP);
    ASSERT_TRUE(
        first.Says("reload asked for: the built-in configuration has nothing to re-read\n"));
    first.Signal(SIGTERM);
    ASSERT_EQ(first.Wait(kLimit), 0) << first.Errors();
    EXPECT_TRUE(std::filesystem::exists(data + "/plvagent/server/PLV/SYSTEM/PLV.INI"));
    AgentProcess again(AgentProgram(), {"run", "--cycles", "1"}, world.directory(), environment);
    ASSERT_EQ(again.Wait(kLimit), 0) << again.Errors();
}

}  // namespace
}  // namespace plvagent::testing
