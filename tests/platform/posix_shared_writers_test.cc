// Two agents on one machine, each running the real log and definition
// writers through the Linux platform against one LOGS directory at once:
// the exclusive opens must keep every record whole and in its writer's order.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/library_state.h"
#include "entry/library_entry.h"
#include "platform/posix/posix_platform.h"
#include "support/helper_process.h"
#include "support/log_records.h"
#include "support/temporary_directory.h"
#include "usage/definition_files.h"

namespace plv::testing {
namespace {

constexpr int kEventsPerAgent = 400;

std::string Numbered(const std::string &tag, int i) {
    std::string digits = std::to_string(i);
    return tag + std::string(4 - digits.size(), '0') + digits;
}

// One agent: records an event and a definition, then runs both writers until
// its pending lists are empty, retrying while the other agent holds a file.
int AgentMain(const std::vector<std::string> &arguments) {
    posix::MapDrive('T', arguments.at(0));
    const std::string tag = arguments.at(1);
    ResetLibraryState();
    PLVAgentRuntime runtime{};
    PLVAgentState agent{};
    agent.runtime = &runtime;
    agent.closeRetryCount = 1000000;  // keep trying while the other agent writes
    std::strcpy(runtime.homePath, "T:");
    LeftStr(runtime.workstationName, tag.c_str(), 59);
    core.agent = &agent;
    // Both agents start together, so their writes contend throughout.
    const std::string go = arguments.at(0) + "/go";
    struct stat status;
    for (int wait = 0; ::stat(go.c_str(), &status) != 0; ++wait) {
        if (wait > 100000) return 12;
        ::usleep(100);
    }
    for (int i = 0; i < kEventsPerAgent; ++i) {
        const std::string name = Numbered(tag, i);
        if (!PLVAddEvent("Initiated", name.c_str(), "")) return 10;
        PLVNewDefinition definition{};
        LeftStr(definition.fileName, (name + ".EXE").c_str(), 12);
        RecordNewAppDef(definition);
        for (int pass = 0; runtime.pendingEvents != nullptr || runtime.pendingDefinitions != nullptr; ++pass) {
            if (pass > 100000) return 11;
            PLVUpdateLogs();
            UpdateAppDefs();
        }
    }
    core.agent = nullptr;
    return 0;
}
const HelperRole agentRole("agent", &AgentMain);

// Each agent's names must come exactly once each, in the order written.
void ExpectEveryNameOnceInOrder(const std::vector<std::string> &names) {
    std::map<char, int> next;
    for (const std::string &name : names) {
        const char agent = name.at(0);
        ASSERT_EQ(name, Numbered(std::string(1, agent), next[agent])) << "out of order or lost";
        ++next[agent];
    }
    EXPECT_EQ(next['A'], kEventsPerAgent);
    EXPECT_EQ(next['B'], kEventsPerAgent);
}

TEST(SharedWriters, TwoAgentsWritingOneDirectoryLoseAndInterleaveNothing) {
    TemporaryDirectory volume;
    ASSERT_EQ(::mkdir((volume / "LOGS").c_str(), 0755), 0);
    HelperProcess a("agent", {volume.path(), "A"});
    HelperProcess b("agent", {volume.path(), "B"});
    std::ofstream(volume / "go").put('\n');
    ASSERT_EQ(a.Wait(), 0);
    ASSERT_EQ(b.Wait(), 0);

    int damaged = 0;
    std::vector<std::string> applications;
    for (const LoggedRecord &record : LoggedRecords(volume / "LOGS", &damaged)) {
        ASSERT_GE(record.fields.size(), 8u);
        applications.push_back(record.fields[6]);
    }
    EXPECT_EQ(damaged, 0);
    ExpectEveryNameOnceInOrder(applications);

    std::vector<std::string> programs;
    for (const auto &file : std::filesystem::directory_iterator(volume / "LOGS")) {
        if (file.path().extension() != ".DEF") continue;
        std::istringstream lines(ReadHostFile(file.path()));
        for (std::string line; std::getline(lines, line);) {
            ASSERT_TRUE(!line.empty() && line.back() == '\r') << line;
            const std::vector<std::string> fields = SplitFields(line);
            ASSERT_GE(fields.size(), 7u) << line;
            programs.push_back(fields[6].substr(0, fields[6].size() - 4));  // without ".EXE"
        }
    }
    ExpectEveryNameOnceInOrder(programs);
}

}  // namespace
}  // namespace plv::testing
