// Running the agent: the library's entries in the order of the host
// contract, the host window's messages, and an orderly stop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "configuration.h"
#include "host_records.h"
#include "host_system.h"
#include "messages.h"

namespace plvagent {

struct RunOptions {
    std::optional<std::uint32_t> cycles;  // stop after this many timer cycles
    host::TraceSink trace;
    std::optional<std::string> configurationFile;  // re-read on SIGHUP; none: built in
    std::string spoolFile;                         // the pending events' spool
};

// Exit statuses of the agent.
inline constexpr int kStopped = 0;
inline constexpr int kNotConfigured = 1;
inline constexpr int kNotStarted = 2;

// Runs until WM_CLOSE, a stop request or the end of its cycles; kStopped
// then, kNotStarted when metering could not start (nothing is left running).
int RunAgent(const AgentConfiguration &configuration, HostRecords &records,
             const RunOptions &options);

}  // namespace plvagent
