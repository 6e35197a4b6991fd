// The agent's configuration: everything the host puts into the agent-state
// block and the agent runtime record, the four ignore lists, where the
// definitions come from, and the platform's drive mappings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "problems.h"

namespace plvagent {

struct DriveMapping {
    char letter;
    std::string directory;
};

struct ShareMapping {
    std::string root;  // \\SERVER\SHARE
    std::string directory;
};

struct AgentConfiguration {
    std::string source;  // the file it came from, for messages

    // Paths in the agent's form (H:\PLV, \\SERVER\PLV\...).
    std::string homePath;
    std::string settingsFile;
    std::string agentDirectory;
    std::string definitionsFile;  // empty: no definitions
    std::string definitionsShownName;  // as the configuration names it

    std::string workstation;
    std::string user;
    std::string userContext;
    std::uint32_t updateInterval = 15;  // minutes
    std::uint32_t updateCountdown = 0;  // timer cycles until the first "Updated"
    std::uint32_t agentNumber = 0;
    std::uint32_t closeRetryCount = 3;
    std::string logHeader = "Pelvantine usage log";
    std::uint32_t optionFlags = 0;

    std::uint8_t networkKind = 1;  // 1: the workstation clock
    std::string timeServer;
    std::string networkModule;
    std::uint32_t netWareConnection = 0;
    std::string clockFile;

    std::vector<std::string> ignoredPrograms;
    std::vector<std::string> ignoredClasses;
    std::vector<std::string> ignoredDosPrograms;
    std::vector<std::string> ignored16BitPrograms;

    // Directories of the system.
    std::vector<DriveMapping> drives;
    std::vector<ShareMapping> shares;
    std::string dataDirectory;     // empty: the platform's default
    std::string runtimeDirectory;  // empty: the platform's default
};

// What holds unless configured otherwise: the workstation's short host
// name, the login name, the program's directory as agent directory.
AgentConfiguration DefaultConfiguration();

// Reads a configuration file (a path of the system). Every problem found is
// added; the configuration may be used only when none was. The drives,
// shares and directories it gives are set first, so that a path of the
// system below a mapped directory takes that drive (and its drive type).
AgentConfiguration ReadConfiguration(const std::string &path, Problems &problems);

// The keys of the [Options] section whose flags are set, in its order.
std::vector<std::string> OptionKeysSet(std::uint32_t optionFlags);

// Sets the platform's drives, shares and directories as configured.
void ApplyPlatformSettings(const AgentConfiguration &configuration);

// The configuration used when none is given (embedded.cc): home path and
// settings file below a local directory (the platform's data directory,
// which holds the workstation's own data too), trace on, every application
// metered and unknown ones recorded.
AgentConfiguration EmbeddedConfiguration(const std::string &localDirectory);
// Creates what the built-in configuration needs below the local directory:
// the home path's LOGS and SYSTEM directories and an empty settings file.
bool PrepareLocalDirectory(const AgentConfiguration &configuration,
                           const std::string &localDirectory, std::string *why);

// Lengths the records and the library's paths leave room for.
inline constexpr std::size_t kWorkstationRoom = 59;
inline constexpr std::size_t kUserRoom = 64;
inline constexpr std::size_t kUserContextRoom = 32;
inline constexpr std::size_t kHomePathRoom = 265;  // the longest file below it still fits 284
inline constexpr std::size_t kPathRoom = 284;
inline constexpr std::size_t kAgentDirectoryRoom = 271;  // with "\PLVNTS16.DLL" it fits 284
inline constexpr std::size_t kTimeServerRoom = 95;
inline constexpr std::size_t kLogHeaderRoom = 64;  // what the log files' header holds

}  // namespace plvagent
