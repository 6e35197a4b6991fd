#include "support/pending_events.h"

namespace plv::testing {

std::vector<PLVUsageEvent> PendingEvents(const PLVAgentRuntime &runtime) {
    std::vector<PLVUsageEvent> events;
    for (auto *node = static_cast<const PLVUsageEventNode *>(runtime.pendingEvents);
         node != nullptr; node = static_cast<const PLVUsageEventNode *>(node->next))
        events.push_back(node->event);
    return events;
}

std::vector<std::string> PendingLines(const PLVAgentRuntime &runtime) {
    std::vector<std::string> lines;
    for (const PLVUsageEvent &event : PendingEvents(runtime)) {
        char line[512];
        BuildEventString(&event, line);
        lines.emplace_back(line);
    }
    return lines;
}

std::vector<std::string> PendingSummaries(const PLVAgentRuntime &runtime) {
    std::vector<std::string> summaries;
    for (const PLVUsageEvent &event : PendingEvents(runtime))
        summaries.push_back(std::string(event.eventText) + "|" + event.application + "|" +
                            event.identifier);
    return summaries;
}

}  // namespace plv::testing
