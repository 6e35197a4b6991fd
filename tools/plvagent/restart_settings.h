// What a re-read configuration may change while the agent runs: the
// definitions and the ignore lists. Everything else is in the library's
// records, its modules and its directories from the start on, and takes
// effect only at the next start.
#pragma once

#include <string>
#include <vector>

#include "configuration.h"

namespace plvagent {

// The settings, by their keys, that differ between the running
// configuration and the re-read one and wait for a restart.
std::vector<std::string> SettingsWaitingForRestart(const AgentConfiguration &running,
                                                   const AgentConfiguration &reread);

}  // namespace plvagent
