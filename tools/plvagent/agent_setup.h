// From the command line's choice of configuration to a configured host:
// the configuration read, the platform's drives and directories set, the
// built-in configuration's local directory prepared, the definitions read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "configuration.h"
#include "definitions.h"
#include "problems.h"

namespace plvagent {

// The local directory of the built-in configuration, below the current one.
inline constexpr char kLocalDirectory[] = "plvagent-data";

struct LoadedAgent {
    AgentConfiguration configuration;
    DefinitionList definitions;
};

// Reads the configuration file, or takes the built-in configuration when
// there is none. Nothing when a problem was found: all are in problems.
std::optional<LoadedAgent> LoadAgent(const std::optional<std::string> &configurationFile,
                                     Problems &problems);

// What the agent will find missing on the home path once it runs: it goes
// on regardless (a share may come later), but an administrator should know.
std::vector<std::string> CheckHomePath(const AgentConfiguration &configuration);

// The effective configuration, one "key: value" line each, for check-config.
std::vector<std::string> Summary(const LoadedAgent &loaded);

}  // namespace plvagent
