// The text line of a usage event: fourteen fields separated by ';'.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace plv::logs {

inline constexpr std::size_t kEventFieldCount = 14;

// Positions of the fields in the line, from 0.
enum EventField : std::size_t {
    kDate,
    kTime,
    kWorkstation,
    kUser,
    kContext,
    kSpare1,
    kApplication,
    kEvent,
    kIdentifier,
    kStartDate,
    kStartTime,
    kCount1,
    kCount2,
    kSpare2,
};

// The fields' names, as CSV headers and JSON keys give them.
inline constexpr std::array<std::string_view, kEventFieldCount> kEventFieldNames = {
    "date",  "time",       "workstation", "user",       "context", "spare1", "application",
    "event", "identifier", "start_date",  "start_time", "count1",  "count2", "spare2"};

using EventFields = std::array<std::string_view, kEventFieldCount>;

struct EventLine {
    EventFields fields;                   // views into the line read
    std::int64_t at = 0;                  // the date and time (log_time.h)
    std::optional<std::int64_t> startAt;  // the start date and time, when given
};

// A line as the agent writes it: fourteen fields, the first two a date and a
// time, the start date and time both empty or a date and a time. Nothing for
// any other text, such as a damaged record unscrambled.
std::optional<EventLine> ReadEventLine(std::string_view line);

}  // namespace plv::logs
