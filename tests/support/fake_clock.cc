#include <chrono>

#include "platform/file_time.h"
#include "support/fake_platform.h"

namespace plv::testing {
namespace {

using std::chrono::days;
using std::chrono::sys_days;

constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b) != 0 && ((a < 0) != (b < 0))); }

// Seconds since 1970 of a broken-down time read as UTC, members normalised.
std::int64_t SecondsOf(const std::tm &t) {
    const std::int64_t months = std::int64_t{t.tm_year} * 12 + t.tm_mon;
    const int year = static_cast<int>(FloorDiv(months, 12)) + 1900;
    const unsigned month = static_cast<unsigned>(months - FloorDiv(months, 12) * 12) + 1;
    const sys_days first = sys_days{std::chrono::year{year} / std::chrono::month{month} / 1};
    const std::int64_t day = first.time_since_epoch().count() + t.tm_mday - 1;
    return day * kSecondsPerDay + std::int64_t{t.tm_hour} * 3600 + std::int64_t{t.tm_min} * 60 +
           t.tm_sec;
}

void BreakDown(std::int64_t seconds, std::tm *t) {
    const std::int64_t day = FloorDiv(seconds, kSecondsPerDay);
    const std::int64_t inDay = seconds - day * kSecondsPerDay;
    const sys_days date{days{day}};
    const std::chrono::year_month_day ymd{date};
    const std::chrono::weekday weekday{date};
    *t = std::tm{};
    t->tm_year = static_cast<int>(ymd.year()) - 1900;
    t->tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
    t->tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
    t->tm_hour = static_cast<int>(inDay / 3600);
    t->tm_min = static_cast<int>(inDay / 60 % 60);
    t->tm_sec = static_cast<int>(inDay % 60);
    t->tm_wday = static_cast<int>(weekday.c_encoding());
    const sys_days newYear{ymd.year() / std::chrono::January / 1};
    t->tm_yday = static_cast<int>((date - newYear).count());
}

}  // namespace

void FakePlatform::SetLocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    clock.now = SecondsOf(local) - clock.utcOffset;
}

std::int64_t FakePlatform::time() { return clock.now; }

BOOL FakePlatform::FileTimeToLocalFileTime(const FILETIME *fileTime, LPFILETIME localFileTime) {
    *localFileTime = FileTimeOfTicks(TicksOf(*fileTime) +
                                     std::int64_t{clock.utcOffset} * kFileTimeTicksPerSecond);
    return TRUE;
}

BOOL FakePlatform::FileTimeToSystemTime(const FILETIME *fileTime, LPSYSTEMTIME systemTime) {
    const std::int64_t ticks = TicksOf(*fileTime);
    if (ticks < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::tm t{};
    BreakDown(CalendarSecondsOf(*fileTime), &t);
    *systemTime = SYSTEMTIME{static_cast<WORD>(t.tm_year + 1900), static_cast<WORD>(t.tm_mon + 1),
                             static_cast<WORD>(t.tm_wday),        static_cast<WORD>(t.tm_mday),
                             static_cast<WORD>(t.tm_hour),        static_cast<WORD>(t.tm_min),
                             static_cast<WORD>(t.tm_sec),
                             static_cast<WORD>(ticks % kFileTimeTicksPerSecond / 10000)};
    return TRUE;
}

bool FakePlatform::localtime(std::int64_t calendarTime, std::tm *local) {
    BreakDown(calendarTime + clock.utcOffset, local);
    return true;
}

std::int64_t FakePlatform::mktime(std::tm *local) {
    const std::int64_t calendarTime = SecondsOf(*local) - clock.utcOffset;
    BreakDown(calendarTime + clock.utcOffset, local);
    return calendarTime;
}

}  // namespace plv::testing
