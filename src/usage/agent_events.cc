#include "usage/agent_events.h"

#include <cstdio>

#include "core/companions.h"
#include "core/library_state.h"
#include "platform/entry_point.h"
#include "platform/platform.h"
#include "usage/usage_event.h"

namespace plv {
namespace {

AgentEventState agentEvents;

constexpr char kAgentApp[] = "Pelvantine";

// "PLV.<agent number>", the identifier of the agent's own events.
void LogAgentEvent(const char *eventText) {
    char identifier[32];
    std::snprintf(identifier, sizeof identifier, "%s.%d", "PLV",
                  static_cast<int>(Agent().agentNumber));
    AddUsageEvent(eventText, kAgentApp, identifier);
}

}  // namespace

void ResetAgentEventState() { agentEvents = AgentEventState{}; }

std::int32_t LogUpdateIfDue() {
    Agent().updateCountdown -= 1;
    if (Agent().updateCountdown == 0) {
        Agent().updateCountdown = Agent().updateInterval * 60;
        LogAgentEvent("Updated");
    }
    return 1;
}

std::int32_t CheckForNewDay(MifCheck checkMif) {
    WSDate date{};
    WSTime time{};
    NetworkDateTime(&date, &time);
    if (agentEvents.lastSeenDate.day == 0) {
        agentEvents.lastSeenDate = date;
        return 1;
    }
    // Only the day of the month tells a new day.
    if (date.day == agentEvents.lastSeenDate.day) return 1;
    agentEvents.lastSeenDate = date;

    if (LogUpdateIfDue() == 0) return 0;
    if (RunLastLogin() == 0) return 0;
    checkMif();
    LogAgentEvent("Continued");
    return 1;
}

std::int32_t RunLastLogin() {
    HMODULE module = Os().LoadLibraryA("PLVWSI32.DLL");
    if (module == nullptr) return 0;
    std::int32_t result = 0;
    if (FARPROC entry = Os().GetProcAddress(module, "DoLastLogin")) {
        result = static_cast<std::int32_t>(EntryPoint<DoLastLoginFn>(entry)(core.agent));
    }
    Os().FreeLibrary(module);
    return result;
}

}  // namespace plv
