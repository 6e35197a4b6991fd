#include "event_line.h"

#include <cstring>

#include "log_time.h"

namespace plv::logs {

std::optional<EventLine> ReadEventLine(std::string_view line) {
    EventLine event;
    EventFields &fields = event.fields;
    const char *field = line.data();
    const char *const end = line.data() + line.size();
    for (std::size_t i = 0; i + 1 < kEventFieldCount; ++i) {
        const void *separator = std::memchr(field, ';', static_cast<std::size_t>(end - field));
        if (separator == nullptr) return std::nullopt;
        const char *fieldEnd = static_cast<const char *>(separator);
        fields[i] = std::string_view(field, static_cast<std::size_t>(fieldEnd - field));
        field = fieldEnd + 1;
    }
    fields[kEventFieldCount - 1] = std::string_view(field, static_cast<std::size_t>(end - field));
    if (fields.back().find(';') != std::string_view::npos) return std::nullopt;
    const auto at = LoggedInstant(fields[kDate], fields[kTime]);
    if (!at) return std::nullopt;
    event.at = *at;
    if (fields[kStartDate].empty() && fields[kStartTime].empty()) return event;
    event.startAt = LoggedInstant(fields[kStartDate], fields[kStartTime]);
    if (!event.startAt) return std::nullopt;
    return event;
}

}  // namespace plv::logs
