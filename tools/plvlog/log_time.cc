#include "log_time.h"

#include <chrono>

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

namespace {

// Digits written by hand: reports write millions of these.
void PutDigits(char *at, unsigned value, int count) {
    for (int i = count - 1; i >= 0; --i, value /= 10) at[i] = static_cast<char>('0' + value % 10);
}

}  // namespace

std::string DayText(std::int64_t instant) {
    const auto civil = CivilDay(instant);
    std::string text = "0000-00-00";
    PutDigits(&text[0], static_cast<unsigned>(static_cast<int>(civil.year())), 4);
    PutDigits(&text[5], static_cast<unsigned>(civil.month()), 2);
    PutDigits(&text[8], static_cast<unsigned>(civil.day()), 2);
    return text;
}

std::string InstantText(std::int64_t instant) {
    const auto second = static_cast<unsigned>(instant - DayOf(instant));
    std::string text = DayText(instant) + " 00:00:00";
    PutDigits(&text[11], second / 3600, 2);
    PutDigits(&text[14], second / 60 % 60, 2);
    PutDigits(&text[17], second % 60, 2);
    return text;
}

}  // namespace plv::logs
