// The usage events waiting on the pending-event list, as tests read them.
#pragma once

#include <string>
#include <vector>

#include "plvlib32.h"

namespace plv::testing {

std::vector<PLVUsageEvent> PendingEvents(const PLVAgentRuntime &runtime);

// Each pending event's text line.
std::vector<std::string> PendingLines(const PLVAgentRuntime &runtime);

// Each pending event as "event text|application|identifier".
std::vector<std::string> PendingSummaries(const PLVAgentRuntime &runtime);

}  // namespace plv::testing
