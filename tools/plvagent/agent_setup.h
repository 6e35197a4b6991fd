// From the command line's choice of configuration to a configured host:
// the configuration found and read, the platform's drives and directories
// set, the built-in configuration's directory prepared, the definitions
// read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "configuration.h"
#include "definitions.h"
#include "problems.h"

namespace plvagent {

struct LoadedAgent {
    AgentConfiguration configuration;
    DefinitionList definitions;
};

// The configuration file to read: the one named, else the first that
// exists of the user's and the machine's (host::ConfigurationCandidates);
// none for the built-in configuration.
std::optional<std::string> LocateConfiguration(const std::optional<std::string> &named);

// Reads the configuration file, or takes the built-in configuration when
// there is none. Nothing when a problem was found: all are in problems.
std::optional<LoadedAgent> LoadAgent(const std::optional<std::string> &configurationFile,
                                     Problems &problems);

// What the agent will find missing on the home path once it runs: it goes
// on regardless (a share may come later), but an administrator should know.
std::vector<std::string> CheckHomePath(const AgentConfiguration &configuration);

// The directory of the system that the shared log is written to, or the
// home path's LOGS directory as the agent names it, with why it is none.
std::string SharedLogDirectory(const AgentConfiguration &configuration);

// The effective configuration, one "key: value" line each, for check-config.
std::vector<std::string> Summary(const LoadedAgent &loaded);

}  // namespace plvagent
