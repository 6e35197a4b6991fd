// What the agent trusts, on the real kernel: a warning for each program it
// starts, each configuration file and each of their directories that
// someone but its owner may change, and none otherwise; and an agent that
// does not start where the platform refuses its own directories.
#include <gmock/gmock.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "agent_process.h"
#include "agent_test_files.h"
#include "agent_world.h"
#include "configuration.h"
#include "host_system.h"
#include "support/other_user.h"
#include "trust_warnings.h"

namespace plvagent {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using plv::testing::HandOver;
using plv::testing::HandOverUser;
using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

constexpr auto kStartLimit = 20s;  // sanitizer builds start slowly
constexpr char kRunsPrograms[] =
    ": whoever may change it runs programs as every user the agent meters";
constexpr char kChoosesPrograms[] =
    ": whoever may change it chooses the home path and so the programs the agent starts";
constexpr char kDecidesMetering[] = ": whoever may change it decides what the agent meters";

std::string GroupOf(const std::string &path) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return "?";
    const group *entry = ::getgrgid(status.st_gid);
    return std::string(entry ? entry->gr_name : "?") + " (gid " + std::to_string(status.st_gid) +
           ")";
}

// A workstation's programs and files as an administrator installs them:
// directories 0755, programs 0755, files 0644, all the agent user's own.
class TrustedFiles : public testing::HostFileTest {
  protected:
    TrustedFiles() : HostFileTest("conf/agent.ini") {
        for (const char *name :
             {"server", "server/PLV", "server/PLV/SYSTEM", "agent", "conf", "defs"})
            Make(directory / name, 0755, true);
        Make(generator(), 0755);
        Make(sixteenBitAgent(), 0755);
        Make(definitions(), 0644);
        Make(path, 0644, false, Configuration(definitions()));
    }
    std::string Configuration(const std::string &definitions, const std::string &more = "") const {
        return "[Agent]\nHomePath = " + directory / "server/PLV" + "\nAgentDirectory = " +
               directory / "agent" + "\nDefinitions = " + definitions + "\n" + more;
    }

    static void Make(const std::string &path, mode_t mode, bool isDirectory = false,
                     const std::string &content = "[Eyes]\nFileName = xeyes\n") {
        if (isDirectory)
            fs::create_directory(path);
        else if (!fs::exists(path))
            testing::WriteFile(path, content);
        ::chmod(path.c_str(), mode);
    }

    std::vector<std::string> Warnings() {
        const AgentConfiguration c = ReadConfiguration(path, problems);
        EXPECT_THAT(Described(), ::testing::IsEmpty());
        return TrustWarnings(c, path);
    }

    std::string generator() const { return directory / "server/PLV/SYSTEM/PLVMIFG.EXE"; }
    std::string sixteenBitAgent() const { return directory / "agent/PLVWOW16.EXE"; }
    std::string definitions() const { return directory / "defs/definitions.ini"; }
    // A system path as the agent names it.
    static std::string Agent(const std::string &path) { return host::AgentPathOf(path); }
};

// None while only its owner may change it; a missing program is nothing to
// change, its directory counts.
TEST_F(TrustedFiles, EachThatOthersMayChangeIsNamed) {
    EXPECT_THAT(Warnings(), ::testing::IsEmpty());
    const std::string system = directory / "server/PLV/SYSTEM", agent = directory / "agent",
                      conf = directory / "conf";
    const auto group = [](const std::string &path, const std::string &rest) {
        return " is writable by group " + GroupOf(path) + rest;
    };
    const struct {
        std::string path;
        mode_t mode;
        std::string warning;
    } cases[] = {
        {generator(), 0775,
         "the MIF generator " + Agent(generator()) + group(generator(), ", mode 0775") +
             kRunsPrograms},
        {system, 0775,
         "the directory of the MIF generator, " + Agent(system) + "," +
             group(system, ", mode 0775") + kRunsPrograms},
        {system, 01777,
         "the directory of the MIF generator, " + Agent(system) + "," +
             group(system, " and writable by everyone, mode 1777") + kRunsPrograms},
        {sixteenBitAgent(), 0757,
         "the 16-bit agent " + Agent(sixteenBitAgent()) + " is writable by everyone, mode 0757" +
             kRunsPrograms},
        {agent, 0775,
         "the directory of the 16-bit agent, " + Agent(agent) + "," + group(agent, ", mode 0775") +
             kRunsPrograms},
        {path, 0664,
         "the configuration file " + path + group(path, ", mode 0664") + kChoosesPrograms},
        {conf, 0775,
         "the directory of the configuration file, " + conf + "," + group(conf, ", mode 0775") +
             kChoosesPrograms},
        {definitions(), 0646,
         "the definitions file " + definitions() + " is writable by everyone, mode 0646" +
             kDecidesMetering},
    };
    for (const auto &[changed, mode, warning] : cases) {
        SCOPED_TRACE(warning);
        struct stat before;
        ASSERT_EQ(::stat(changed.c_str(), &before), 0);
        ::chmod(changed.c_str(), mode);
        EXPECT_THAT(Warnings(), ElementsAreArray({warning}));
        ::chmod(changed.c_str(), before.st_mode & 07777);
    }
    fs::remove(generator());
    EXPECT_THAT(Warnings(), ::testing::IsEmpty());
}

// A file at a drive's root is in the root, shown as the administrator names it.
TEST_F(TrustedFiles, TheDirectoryOfAFileAtADriveRootIsThatRoot) {
    const std::string defs = directory / "defs";
    testing::WriteFile(path, Configuration("D:\\definitions.ini", "[Drives]\nD = " + defs + "\n"));
    Problems ignored;
    ApplyPlatformSettings(ReadConfiguration(path, ignored));
    ::chmod(defs.c_str(), 0775);
    EXPECT_THAT(Warnings(), ElementsAreArray({"the directory of the definitions file, D:\\, is "
                                              "writable by group " +
                                              GroupOf(defs) + ", mode 0775" + kDecidesMetering}));
}

TEST_F(TrustedFiles, OneAnotherUserOwnsIsNamed) {
    const auto other = HandOverUser();
    if (!other) GTEST_SKIP() << plv::testing::kNeedsRoot;
    const std::string whose = other->name + " (uid " + std::to_string(other->uid) + ")";
    HandOver(generator(), *other);
    HandOver(directory / "defs", *other);
    EXPECT_THAT(Warnings(), ElementsAreArray(
                                {"the MIF generator " + Agent(generator()) + " is owned by " +
                                     whose + ", mode 0755" + kRunsPrograms,
                                 "the directory of the definitions file, " + directory / "defs" +
                                     ", is owned by " + whose + ", mode 0755" + kDecidesMetering}));
}

using testing::AgentProcess;
using testing::AgentWorld;

// check-config warns about what others may change; the start warns as it
// does, then refuses a runtime directory open to others: it says why, logs
// the failure and creates nothing there.
TEST(AgentTrust, CheckConfigWarnsAndRunDoesNotStartInARuntimeDirectoryOpenToOthers) {
    AgentWorld world;
    world.Configure("");
    const std::string system = world.directory() + "/server/PLV/SYSTEM",
                      runtime = world.directory() + "/run";
    testing::WriteFile(system + "/PLVMIFG.EXE", "");
    for (const std::string &path : {system + "/PLVMIFG.EXE", system, world.configurationFile()})
        fs::permissions(path, fs::perms::group_write, fs::perm_options::add);
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::all);
    std::string errors;
    for (const std::string command : {"check-config", "run"}) {
        AgentProcess agent = world.Agent(command);
        ASSERT_EQ(agent.Wait(kStartLimit), command == "run" ? 2 : 0) << agent.Errors();
        errors = agent.Errors();
        EXPECT_THAT(errors, HasSubstr("plvagent: warning: the MIF generator "
                                      "H:\\PLV\\SYSTEM\\PLVMIFG.EXE is writable by group "));
        EXPECT_THAT(errors, HasSubstr("plvagent: warning: the directory of the MIF generator, "
                                      "H:\\PLV\\SYSTEM, is writable by group "));
        EXPECT_THAT(errors, HasSubstr("plvagent: warning: the configuration file " +
                                      world.configurationFile() + " is writable by group "));
    }
    EXPECT_THAT(errors,
                HasSubstr("plvagent: metering could not start: Initialization Failure, Tm Semaphore "
                          "(the runtime directory " +
                          runtime + " is refused: a directory owned by "));
    EXPECT_THAT(errors, HasSubstr(" with mode 0777; "));
    EXPECT_THAT(world.Events("Pelvantine", "Initialization Failure"),
                Contains(Contains("Tm Semaphore")));
    EXPECT_TRUE(fs::is_empty(runtime));
}

TEST(AgentTrust, RunDoesNotStartWithADataDirectoryAnotherUserOwns) {
    const auto other = HandOverUser();
    if (!other) GTEST_SKIP() << plv::testing::kNeedsRoot;
    AgentWorld world;
    world.Configure("");
    fs::create_directory(world.dataDirectory());
    fs::permissions(world.dataDirectory(), fs::perms::owner_all, fs::perm_options::replace);
    HandOver(world.dataDirectory(), *other);
    AgentProcess agent = world.Agent("run");
    ASSERT_EQ(agent.Wait(kStartLimit), 2) << agent.Errors();
    EXPECT_THAT(
        agent.Errors(),
        HasSubstr("plvagent: metering could not start: Initialization Failure, Registry "
                  "(the data directory " +
                  world.dataDirectory() + " is refused: a directory owned by " + other->name +
                  " (uid " + std::to_string(other->uid) + ") with mode 0700; "));
    EXPECT_THAT(world.Events("Pelvantine", "Initialization Failure"),
                Contains(Contains("Registry")));
    EXPECT_TRUE(fs::is_empty(world.dataDirectory()));
}

}  // namespace
}  // namespace plvagent
