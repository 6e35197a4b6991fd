#include "usage/usage_event.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/display.h"
#include "core/library_state.h"
#include "time/network_time.h"

namespace plv {
namespace {

// The fourteen text fields in line order, each with its width (capacity + 1).
struct Field {
    std::size_t offset;
    std::size_t width;
};

#define PLV_FIELD(member) \
    Field { offsetof(PLVUsageEvent, member), sizeof(PLVUsageEvent::member) }
constexpr Field kFields[14] = {
    PLV_FIELD(date),      PLV_FIELD(time),      PLV_FIELD(workstation), PLV_FIELD(user),
    PLV_FIELD(userContext), PLV_FIELD(spare1),  PLV_FIELD(application), PLV_FIELD(eventText),
    PLV_FIELD(identifier), PLV_FIELD(startDate), PLV_FIELD(startTime),  PLV_FIELD(count1),
    PLV_FIELD(count2),    PLV_FIELD(spare2),
};
#undef PLV_FIELD

char *FieldOf(PLVUsageEvent *event, const Field &field) {
    return reinterpret_cast<char *>(event) + field.offset;
}

const char *FieldOf(const PLVUsageEvent *event, const Field &field) {
    return reinterpret_cast<const char *>(event) + field.offset;
}

// Copies a text into a field, cut to the field's capacity.
template <std::size_t Width>
void Fill(char (&field)[Width], const char *text) {
    LeftStr(field, text, Width - 1);
}

bool IsUpdated(const char *eventText) { return std::strcmp(eventText, "Updated") == 0; }

std::uint32_t SmsBit() { return OptionSet(PLV_OPT_SMS_OUTPUT) ? PLV_EVENT_WANTS_SMS_LOG : 0; }

// "YYYY/MM/DD": four digits, two and two, separated by '/'.
bool IsEventDate(const char (&date)[11]) {
    for (std::size_t i = 0; i < 10; ++i) {
        const bool separator = i == 4 || i == 7;
        if (separator ? date[i] != '/' : (date[i] < '0' || date[i] > '9')) return false;
    }
    return date[10] == '\0';
}

void TraceEvent(const char *caption, const PLVUsageEvent &event) {
    if (!TraceOn()) return;
    char line[kMaxEventLine + 1];
    BuildEventString(&event, line);
    Trace("%s: %s", caption, line);
}

std::int32_t Add(const char *eventText, const char *application, const char *identifier,
                 ImpossibleTimeReport report);

// Its own time is read without the report, so that logging it cannot recur.
void LogImpossibleTime() { Add("NOS API Failure", "Pelvantine", "Invalid time", nullptr); }

void Build(const char *application, const char *eventText, const char *identifier,
           PLVUsageEvent *event, ImpossibleTimeReport report) {
    WSDate date{};
    WSTime time{};
    ReadNetworkClock(&date, &time, report);
    FormatEventDate(event->date, date);
    FormatEventTime(event->time, time);

    const PLVAgentRuntime &runtime = Runtime();
    Fill(event->workstation, runtime.workstationName);
    Fill(event->user, runtime.userName);
    Fill(event->userContext, runtime.userContext);
    Fill(event->application, application);
    Fill(event->eventText, eventText);
    Fill(event->identifier, identifier);

    event->startDate[0] = event->startTime[0] = event->count1[0] = event->count2[0] = '\0';
    event->spare2[0] = event->spare1[0] = '\0';

    std::uint32_t flags = event->flags & ~(PLV_EVENT_WANTS_SHARED_LOG | PLV_EVENT_WANTS_SMS_LOG);
    if (!IsUpdated(event->eventText)) flags |= PLV_EVENT_WANTS_SHARED_LOG;
    event->flags = flags | SmsBit();

    usageEvents.sharedLogAttempts = static_cast<std::int32_t>(Agent().closeRetryCount + 1);
}

std::int32_t Add(const char *eventText, const char *application, const char *identifier,
                 ImpossibleTimeReport report) {
    PLVUsageEvent event{};
    Build(application, eventText, identifier, &event, report);
    // A day-change event stands for the start of the day it is logged on.
    if (std::strcmp(eventText, "Continued") == 0) std::strcpy(event.time, "00:00:00");
    return LogEvent(&event);
}

}  // namespace

UsageEventState usageEvents;

void NetworkDateTime(WSDate *date, WSTime *time) { ReadNetworkClock(date, time, &LogImpossibleTime); }

std::int32_t AddUsageEvent(const char *eventText, const char *application, const char *identifier) {
    return Add(eventText, application, identifier, &LogImpossibleTime);
}

void FormatEventDate(char (&field)[11], const WSDate &date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", date.year, date.month, date.day);
    LeftStr(field, text, sizeof field - 1);
}

void FormatEventTime(char (&field)[9], const WSTime &time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    LeftStr(field, text, sizeof field - 1);
}

void ResetUsageEventState() { usageEvents = UsageEventState{}; }

}  // namespace plv

using namespace plv;

extern "C" PLV_EXPORT void PLVAPI GetNOSDateTime(WSDate *date, WSTime *time) {
    NetworkDateTime(date, time);
}

extern "C" PLV_EXPORT void PLVAPI BuildEvent(const char *application, const char *eventText,
                                             const char *identifier, PLVUsageEvent *event) {
    Build(application, eventText, identifier, event, &LogImpossibleTime);
}

extern "C" PLV_EXPORT uint32_t PLVAPI BuildEventString(const PLVUsageEvent *event, char *line) {
    char *out = line;
    for (std::size_t i = 0; i < 14; ++i) {
        if (i > 0) *out++ = ';';
        const char *text = FieldOf(event, kFields[i]);
        const std::size_t length = strnlen(text, kFields[i].width - 1);
        std::memcpy(out, text, length);
        out += length;
    }
    *out = '\0';
    return static_cast<uint32_t>(out - line);
}

extern "C" PLV_EXPORT void PLVAPI RebuildEvent(const char *line, PLVUsageEvent *event) {
    const char *position = line;
    for (const Field &field : kFields) {
        char *text = FieldOf(event, field);
        if (position == nullptr) {
            text[0] = '\0';
            continue;
        }
        const char *separator = std::strchr(position, ';');
        const std::size_t available =
            separator != nullptr ? static_cast<std::size_t>(separator - position) : std::strlen(position);
        const std::size_t length = std::min(available, field.width - 1);
        std::memcpy(text, position, length);
        text[length] = '\0';
        position = separator != nullptr ? separator + 1 : nullptr;
    }
    if (!IsUpdated(event->eventText)) event->flags |= PLV_EVENT_WANTS_SHARED_LOG;
    event->flags = (event->flags & ~PLV_EVENT_WANTS_SMS_LOG) | SmsBit();
}

extern "C" PLV_EXPORT int32_t PLVAPI LogEvent(const PLVUsageEvent *event) {
    // An event's date names its log file: one that names none could never be
    // written, and would stop every later write pass at itself.
    if (!IsEventDate(event->date)) {
        TraceEvent("Event refused, its date is not YYYY/MM/DD", *event);
        return 0;
    }
    PLVUsageEventNode node{};
    node.event = *event;
    if (PLVAppendToList(&Runtime().pendingEvents, &node, sizeof node) == nullptr) return 0;
    TraceEvent("Event", *event);
    return 1;
}

extern "C" PLV_EXPORT int32_t PLVAPI PLVAddEvent(const char *eventText, const char *application,
                                                 const char *identifier) {
    return AddUsageEvent(eventText, application, identifier);
}
