// What the agent says at every start, Trace on or off: one line naming the
// build, the configuration, the number of definitions, the directory the
// shared log is written to and the display, then a warning for each thing
// that keeps it from metering or from writing. Each check of the start adds
// its warnings to the list.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "agent_setup.h"

namespace plvagent {

struct StartReport {
    std::string line;
    std::vector<std::string> warnings;
};

// configurationFile: the file read; none for the built-in configuration.
StartReport DescribeStart(const LoadedAgent &loaded,
                          const std::optional<std::string> &configurationFile);

void Tell(const StartReport &report);

}  // namespace plvagent
