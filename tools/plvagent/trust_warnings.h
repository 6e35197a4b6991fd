// What the agent trusts that another user could change: the programs it
// starts as the user it meters (the MIF generator, the 16-bit agent), the
// directories they are started from, and the configuration and definitions
// files that decide what it starts and meters.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "configuration.h"

namespace plvagent {

// One warning for each of them that anyone but its owner may change,
// naming it; the configuration file only when one was given.
std::vector<std::string> TrustWarnings(const AgentConfiguration &configuration,
                                       const std::optional<std::string> &configurationFile);

}  // namespace plvagent
