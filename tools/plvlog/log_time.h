// Instants as the agent logs them: a date YYYY/MM/DD and a time HH:MM:SS on
// the workstation's network clock, with no time zone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plv::logs {

// Seconds counted from 1970-01-01 00:00:00 on the same clock. Nothing for
// a text that is no such date and time (1998/02/30, 24:00:00 and the like).
std::optional<std::int64_t> LoggedInstant(std::string_view date, std::string_view time);

// The day of a date the administrator gives, YYYY-MM-DD, as the instant of
// its first second; nothing for any other text.
std::optional<std::int64_t> DayStart(std::string_view day);

inline constexpr std::int64_t kSecondsPerDay = 86400;

// "YYYY-MM-DD HH:MM:SS" and "YYYY-MM-DD": the reports' forms.
std::string InstantText(std::int64_t instant);
std::string DayText(std::int64_t instant);

// The first second of the instant's day.
inline std::int64_t DayOf(std::int64_t instant) {
    const std::int64_t days =
        instant >= 0 ? instant / kSecondsPerDay : (instant - kSecondsPerDay + 1) / kSecondsPerDay;
    return days * kSecondsPerDay;
}

}  // namespace plv::logs
