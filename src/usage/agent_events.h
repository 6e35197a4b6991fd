// The agent's own periodic events: "Updated" and the day-change "Continued".
#pragma once

#include <cstdint>

#include "plvlib32.h"

namespace plv {

struct AgentEventState {
    WSDate lastSeenDate{};  // day 0 until the first day-change check
};

void ResetAgentEventState();

// Counts the update countdown down; logs "Updated" when it reaches zero.
// Nonzero lets the timer cycle go on.
std::int32_t LogUpdateIfDue();

// The MIF check of a day change: the settings' work, above the records.
using MifCheck = std::int32_t(PLVAPI *)();

// On the first cycle of a new day: the daily companion, the MIF check and
// "Continued". Nonzero lets the timer cycle go on.
std::int32_t CheckForNewDay(MifCheck checkMif);

// The daily companion's DoLastLogin result, or 0.
std::int32_t RunLastLogin();

}  // namespace plv
