// The configuration file: every key into the host records, defaults, and a
// problem for each thing an administrator can get wrong, named by file,
// line and key.
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "agent_test_files.h"
#include "configuration.h"
#include "host_records.h"
#include "host_system.h"

namespace plvagent {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Texts(void *head) {
    std::vector<std::string> texts;
    for (auto *node = static_cast<PLVTextListNode *>(head); node != nullptr;
         node = static_cast<PLVTextListNode *>(node->next))
        texts.push_back(node->text);
    return texts;
}

class Configuration : public testing::HostFileTest {
  protected:
    Configuration() : HostFileTest("agent.ini") {}
    AgentConfiguration Read(const std::string &content) {
        testing::WriteFile(path, content);
        return ReadConfiguration(path, problems);
    }
};

TEST_F(Configuration, EveryKeyReachesTheHostRecords) {
    const AgentConfiguration c = Read(std::string(R"([Agent]
HomePath = \\SERVER\PLV\
SettingsFile = /etc/plv/PLV.INI
AgentDirectory = /opt/plvagent/
Definitions = /etc/plv/definitions.ini
Workstation = WS-017
User = "JDOE"
UserContext = SALES
UpdateInterval = 5
UpdateCountdown = 42
AgentNumber = 12
CloseRetryCount = 3
LogHeader = Usage of WS-017

[Options]
Trace = yes
ClockFile = on
UndefinedApplications = true
RecordDefinitions = 1
SixteenBitMetering = no
SharedTimer = YES

[Time]
NetworkKind = 3
NetworkModule = C:\NW\NWCALLS.DLL
NetWareConnection = 7
ClockFilePath = \\SERVER\PLV\SYSTEM\CLOCK.DAT
TimeServer = TIMESRV

[Ignore]
Programs = xclock, EXPLORER.EXE
Classes = Shell_TrayWnd
DosPrograms = command.com
SixteenBitPrograms = krnl386.exe , wowexec.exe

[Drives]
h = /srv/plv

[Shares]
\\SERVER\PLV = /mnt/plv
\\S\P = /mnt/p

[Platform]
)") + "DataDirectory = " + directory / "data" + "\nRuntimeDirectory = " + directory / "run" + "\n");
    ASSERT_THAT(Described(), ElementsAre());
    HostRecords records(c, DefinitionList{});
    const PLVAgentState &agent = records.agent();
    const PLVAgentRuntime &runtime = records.runtime();

    EXPECT_EQ(static_cast<void *>(agent.runtime), &records.runtime());
    EXPECT_THAT((std::vector<std::string>{agent.agentDirectory, agent.logHeaderText,
                                          runtime.workstationName, runtime.userName,
                                          runtime.userContext, runtime.homePath,
                                          runtime.settingsFilePath, runtime.timeServerName}),
                ElementsAre("Z:\\opt\\plvagent", "Usage of WS-017", "WS-017", "JDOE", "SALES",
                            "\\\\SERVER\\PLV", "Z:\\etc\\plv\\PLV.INI", "TIMESRV"));
    EXPECT_THAT((std::vector<std::uint32_t>{agent.updateInterval, agent.agentNumber,
                                            agent.updateCountdown, agent.closeRetryCount,
                                            runtime.networkKind, runtime.netWareConnection}),
                ElementsAre(5, 12, 42, 3, 3, 7));
    EXPECT_EQ(std::uint32_t{agent.optionFlags}, PLV_OPT_TRACE | PLV_OPT_CLOCK_FILE | PLV_OPT_UNDEFINED_APPS |
                                                    PLV_OPT_RECORD_DEFINITIONS | PLV_OPT_SHARED_TIMER);
    EXPECT_EQ(static_cast<void *>(agent.clockFile), nullptr);  // opened when the agent runs
    EXPECT_EQ(static_cast<void *>(runtime.definitions), nullptr);
    EXPECT_THAT(Texts(runtime.ignoredPrograms), ElementsAre("xclock", "EXPLORER.EXE"));
    EXPECT_THAT(Texts(runtime.ignoredClasses), ElementsAre("Shell_TrayWnd"));
    EXPECT_THAT(Texts(runtime.ignoredDosPrograms), ElementsAre("command.com"));
    EXPECT_THAT(Texts(runtime.ignored16BitPrograms), ElementsAre("krnl386.exe", "wowexec.exe"));

    EXPECT_EQ(c.definitionsFile, "Z:\\etc\\plv\\definitions.ini");
    EXPECT_EQ(c.networkModule, "C:\\NW\\NWCALLS.DLL");
    EXPECT_EQ(c.clockFile, "\\\\SERVER\\PLV\\SYSTEM\\CLOCK.DAT");
    ASSERT_EQ(c.drives.size(), 1u);
    EXPECT_EQ(c.drives[0].letter, 'H');
    EXPECT_EQ(c.drives[0].directory, "/srv/plv");
    ASSERT_EQ(c.shares.size(), 2u);
    EXPECT_EQ(c.shares[0].root, "\\\\SERVER\\PLV");
    EXPECT_EQ(c.shares[1].root, "\\\\S\\P");  // the shortest
    EXPECT_EQ(c.dataDirectory, directory / "data");
    EXPECT_EQ(c.runtimeDirectory, directory / "run");
}

TEST_F(Configuration, AMissingFileIsNamed) {
    ReadConfiguration(directory / "absent.ini", problems);
    EXPECT_THAT(Described(), ElementsAre(directory / "absent.ini" + ": cannot be read: the file does not exist"));
}

TEST_F(Configuration, EachMistakeIsNamedByFileLineAndKey) {
    // The file's text, and its problem after "<file>:".
    const std::pair<const char *, const char *> kMistakes[] = {
        {"[Agent]\nHomePath=H:\\PLV\nUpdateInterval=soon\n", "3: UpdateInterval: expected a whole number from 1 to 10080"},
        {"[Agent]\nHomePath=H:\\PLV\nUpdateCountdown=-1\n", "3: UpdateCountdown: expected a whole number from 1 to 604800"},
        {"[Agent]\nHomePath=H:\\PLV\nthis line\n", "3: expected key=value, [section] or a ; comment"},
        {"[Agent]\nHomePath=H:\\PLV\n = x\n", "3: a key has no name"},
        {"HomePath=H:\\PLV\n[Agent]\n", "1: HomePath: stands before the first section"},
        {"[Agent]\nHomePath=H:\\PLV\nWorkstaton=WS-1\n", "3: Workstaton: unknown key"},
        {"[Agent]\nHomePath=H:\\PLV\n[Agnet]\n", "3: [Agnet]: unknown section"},
        {"[Agent]\nHomePath=H:\\PLV\nUser=a;b\n", "3: User: must not contain ';'"},
        {"[Agent]\nHomePath=H:\\PLV\nWorkstation=123456789012345678901234567890123456789012345678901234567890\n",
                "3: Workstation: at most 59 characters"},
        {"[Agent]\nHomePath=H:\\PLV\nHomePath=G:\\PLV\n", "3: HomePath: is repeated (first on line 2)"},
        {"[Agent]\nHomePath=H:\\PLV\n[agent]\n", "3: section [agent] is repeated (first on line 1)"},
        {"[Agent\nHomePath=H:\\PLV\n", "1: a section line must be [name] alone"},
        {"[Agent]]\nHomePath=H:\\PLV\n", "1: a section line must be [name] alone"},
        {"[Agent]\nHomePath=H:\\PLV\nCloseRetryCount=101\n",
                "3: CloseRetryCount: expected a whole number from 0 to 100"},
        {"[Agent]\nHomePath=H:\\PLV\nAgentNumber=-1\n",
                "3: AgentNumber: expected a whole number from 0 to 999999999"},
        {"[Agent]\nHomePath=H:\\PLV\n[Time]\nNetworkKind=8\n",
                "4: NetworkKind: expected a whole number from 1 to 7"},
        {"\n[Agent]\nUserContext=SALES\n", "2: [Agent]: HomePath: is required: the shared directory that holds LOGS and SYSTEM"},
        {"[Agent]\nHomePath=H:\\PLV\n[Options]\nTrace=maybe\n", "4: Trace: expected yes or no"},
        {"[Agent]\nHomePath=H:\\PLV\n[Time]\nNetworkKind=2\nTimeServer=TS\n",
                "3: [Time]: NetworkModule: is required: NetworkKind 2 asks the network module for the time"},
        {"[Agent]\nHomePath=H:\\PLV\n[Time]\nNetworkKind=6\nNetworkModule=NETAPI32.DLL\n",
                "3: [Time]: TimeServer: is required: NetworkKind 6 asks a time server"},
        {"[Agent]\nHomePath=H:\\PLV\n[Time]\nNetworkKind=2\nNetworkModule=NETAPI32.DLL\n",
                "3: [Time]: TimeServer: is required: NetworkKind 2 asks a time server"},
        {"[Agent]\nHomePath=H:\\PLV\n[Time]\nNetworkKind=7\nNetworkModule=NETAPI32.DLL\n",
                "3: [Time]: TimeServer: is required: NetworkKind 7 asks a time server"},
        {"[Agent]\nHomePath=H:\\PLV\n[Time]\nNetworkModule=NETAPI32.DLL\n",
                "4: NetworkModule: is used only with a NetworkKind from 2 to 7"},
        {"[Agent]\nHomePath=H:\\PLV\n[Options]\nClockFile=yes\n[Time]\n",
                "5: [Time]: ClockFilePath: is required by the ClockFile option"},
        {"[Agent]\nHomePath=H:\\PLV\n[Time]\nClockFilePath=H:\\CLOCK.DAT\n",
                "4: ClockFilePath: is read only with the ClockFile option set"},
        {"[Agent]\nHomePath=H:\\PLV\n[Ignore]\nPrograms=xclock, /usr/bin/xeyes\n",
                "4: Programs: list file names without their directory: /usr/bin/xeyes"},
        {"[Agent]\nHomePath=H:\\PLV\n[Ignore]\nProgram=xclock\n", "4: Program: unknown key"},
        {"[Agent]\nHomePath=H:\\PLV\n[Drives]\nHH=/srv\n", "4: HH: a drive is named by one letter from A to Z"},
        {"[Agent]\nHomePath=H:\\PLV\n[Drives]\nH=srv/plv\n", "4: H: must be an absolute directory"},
        {"[Agent]\nHomePath=H:\\PLV\n[Shares]\n\\\\SERVER=/srv\n", "4: \\\\SERVER: a share is named \\\\SERVER\\SHARE"},
        {"[Agent]\nHomePath=H:\\PLV\n[Shares]\n\\\\SERVER\\=/srv\n", "4: \\\\SERVER\\: a share is named \\\\SERVER\\SHARE"},
        {"[Agent]\nHomePath=H:\\PLV\n[Shares]\n\\\\\\PLV=/srv\n", "4: \\\\\\PLV: a share is named \\\\SERVER\\SHARE"},
        {"[Agent]\nHomePath=H:\\PLV\n[Shares]\nSERVER\\PLV=/srv\n", "4: SERVER\\PLV: a share is named \\\\SERVER\\SHARE"},
    };
    for (const auto &[content, problem] : kMistakes) {
        problems.clear();
        Read(content);
        EXPECT_THAT(Described(), ::testing::Contains(path + ":" + problem)) << content;
    }
    // The keys under a refused section line are not the previous section's.
    for (const auto &[line, problem] :
         {std::pair{"[Agent", "a section line must be [name] alone"},
          {"[agent]", "section [agent] is repeated (first on line 1)"}}) {
        problems.clear();
        Read(std::string("[Agent]\nHomePath=H:\\PLV\n") + line + "\nHomePath=G:\\PLV\n");
        EXPECT_THAT(Described(), ElementsAre(path + ":3: " + problem));
    }
    // A value too long for the profile reads is refused, not cut.
    problems.clear();
    Read("[Agent]\nHomePath=H:\\PLV\nUser=" + std::string(65535, 'u') + "\n");
    EXPECT_THAT(Described(), ::testing::Contains(path + ":3: User: the value is too long"));
}

TEST_F(Configuration, DrivesAreNamedFromAToZ) {
    const AgentConfiguration c = Read("[Agent]\nHomePath=H:\\PLV\n[Drives]\na=/srv/a\nZ=/srv/z\n");
    host::ForgetMappings();  // Z: stands for / again
    EXPECT_THAT(Described(), ElementsAre());
    ASSERT_EQ(c.drives.size(), 2u);
    EXPECT_EQ(std::string() + c.drives[0].letter + c.drives[1].letter, "AZ");
}

// The update countdown is the interval in cycles; the workstation is the
// machine's name without its domain.
TEST_F(Configuration, WhatIsNotGivenIsTakenFromTheIntervalAndTheMachine) {
    const AgentConfiguration c = Read("[Agent]\nHomePath=H:\\PLV\nUpdateInterval=3\n");
    EXPECT_THAT(Described(), ElementsAre());
    EXPECT_EQ(c.updateCountdown, 180u);
    char name[256] = {};
    ASSERT_EQ(::gethostname(name, sizeof name - 1), 0);
    EXPECT_EQ(c.workstation, std::string(name).substr(0, std::string(name).find('.')));
}

// A path of the system is turned into the agent's form before its length is
// checked against the room the library gives it.
TEST_F(Configuration, PathsAreMeasuredInTheAgentsForm) {
    const std::string longest(263, 'd');  // behind "Z:\\" one short of 265
    Read("[Agent]\nHomePath=/" + longest.substr(1) + "\n");
    EXPECT_THAT(Described(), ElementsAre());
    problems.clear();
    Read("[Agent]\nHomePath=/" + longest + "\n");
    ASSERT_EQ(problems.size(), 1u) << ::testing::PrintToString(Described());
    EXPECT_EQ(problems[0].key, "HomePath");
    EXPECT_EQ(problems[0].line, 2);
}

}  // namespace
}  // namespace plvagent
