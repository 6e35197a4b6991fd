// Usage events: the record, its text line and the pending-event list.
#pragma once

#include <cstdint>

#include "plvlib32.h"

namespace plv {

struct UsageEventState {
    // Write passes of the shared log still to try; re-armed by every event built.
    std::int32_t sharedLogAttempts = 0;
};

extern UsageEventState usageEvents;

void ResetUsageEventState();

// "YYYY/MM/DD" and "HH:MM:SS", as events carry dates and times.
void FormatEventDate(char (&field)[11], const WSDate &date);
void FormatEventTime(char (&field)[9], const WSTime &time);

// The network date and time for the records: an impossible answer of the
// time source is logged as "NOS API Failure".
void NetworkDateTime(WSDate *date, WSTime *time);

// Builds the event, stamped by the network clock, and puts it on the
// pending-event list; 0 when it could not be listed.
std::int32_t AddUsageEvent(const char *eventText, const char *application, const char *identifier);

// Longest text line: the fields' capacities and 13 separators.
constexpr std::size_t kMaxEventLine = 422;

}  // namespace plv
