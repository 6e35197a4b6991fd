#include "log_time.h"

#include <chrono>
#include <cstdio>

namespace plv::logs {
namespace {

// The value of `count` digits at `at`, or -1 when one of them is no digit.
int DigitsAt(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::optional<std::int64_t> DaysOf(std::string_view date, char separator) {
    if (date.size() != 10 || date[4] != separator || date[7] != separator) return std::nullopt;
    const int year = DigitsAt(date, 0, 4), month = DigitsAt(date, 5, 2), day = DigitsAt(date, 8, 2);
    if (year < 0 || month < 0 || day < 0) return std::nullopt;
    const std::chrono::year_month_day civil{std::chrono::year{year},
                                            std::chrono::month{static_cast<unsigned>(month)},
                                            std::chrono::day{static_cast<unsigned>(day)}};
    if (!civil.ok()) return std::nullopt;
    return std::chrono::sys_days{civil}.time_since_epoch().count();
}

std::chrono::year_month_day CivilDay(std::int64_t instant) {
    return std::chrono::year_month_day{
        std::chrono::sys_days{std::chrono::days{DayOf(instant) / kSecondsPerDay}}};
}

}  // namespace

std::optional<std::int64_t> LoggedInstant(std::string_view date, std::string_view time) {
    const auto days = DaysOf(date, '/');
    if (!days || time.size() != 8 || time[2] != ':' || time[5] != ':') return std::nullopt;
    const int hour = DigitsAt(time, 0, 2), minute = DigitsAt(time, 3, 2),
              second = DigitsAt(time, 6, 2);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    return *days * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

std::optional<std::int64_t> DayStart(std::string_view day) {
    const auto days = DaysOf(day, '-');
    if (!days) return std::nullopt;
    return *days * kSecondsPerDay;
}

std::string DayText(std::int64_t instant) {
    const auto civil = CivilDay(instant);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(civil.year()),
                  static_cast<unsigned>(civil.month()), static_cast<unsigned>(civil.day()));
    return text;
}

std::string InstantText(std::int64_t instant) {
    const std::int64_t second = instant - DayOf(instant);
    char time[16];
    std::snprintf(time, sizeof time, " %02d:%02d:%02d", static_cast<int>(second / 3600),
                  static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
    return DayText(instant) + time;
}

}  // namespace plv::logs
