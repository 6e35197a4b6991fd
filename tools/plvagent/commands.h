// The agent's commands, as the command line asks for them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "def_import.h"

namespace plvagent {

struct RunCommand {
    std::optional<std::string> configurationFile;  // none: looked up, else built in
    std::optional<std::uint32_t> cycles;
    std::optional<std::string> traceFile;  // none: the terminal
};

struct ImportCommand {
    std::vector<std::string> defFiles;
    std::optional<std::string> configurationFile;  // its Definitions file receives them
    std::optional<std::string> definitionsFile;    // or this one
    std::vector<Candidate> stored;                 // read from the report database
    ImportOptions options;
};

// The exit status of a command line that is not the agent's.
inline constexpr int kUsageError = 2;

int Run(const RunCommand &command);
int CheckConfiguration(const std::optional<std::string> &namedFile);
int ImportDefs(const ImportCommand &command);

}  // namespace plvagent
