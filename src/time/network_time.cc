#include "time/network_time.h"

#include <cstdio>
#include <ctime>

#include "core/library_state.h"
#include "platform/platform.h"
#include "time/time_services.h"

namespace plv {
namespace {

NetworkTimeState cache;

constexpr std::int32_t kDefaultCheckInterval = 2;
constexpr std::int64_t kCacheWindowSeconds = 120;

void ReadCheckInterval() {
    char path[600];
    std::snprintf(path, sizeof path, "%s\\%s\\%s", Runtime().homePath, "SYSTEM", "PLV.INI");
    const auto hours = static_cast<std::int32_t>(
        Os().GetPrivateProfileIntA("Pelvantine", "CheckTimeSource", kDefaultCheckInterval, path));
    cache.checkInterval = (hours < 1 || hours > 24) ? kDefaultCheckInterval : hours;
}

void BreakDown(std::int64_t calendarTime, WSDate *date, WSTime *time) {
    std::tm local{};
    Os().localtime(calendarTime, &local);
    date->day = static_cast<std::uint8_t>(local.tm_mday);
    date->month = static_cast<std::uint8_t>(local.tm_mon + 1);
    date->year = static_cast<std::uint16_t>(local.tm_year + 1900);
    date->dayOfWeek = static_cast<std::uint8_t>(local.tm_wday);
    time->hour = static_cast<std::uint8_t>(local.tm_hour);
    time->minute = static_cast<std::uint8_t>(local.tm_min);
    time->second = static_cast<std::uint8_t>(local.tm_sec);
    time->hundredths = 0;
}

// The cached answer, unless a new question is due; true when it stands.
bool AnswerFromCache(WSDate *date, WSTime *time) {
    const std::int64_t now = Os().time();
    const std::int64_t elapsed = now - cache.lastCallTime;
    if (cache.lastCallTime == 0 || elapsed < 0 || elapsed > kCacheWindowSeconds) return false;

    BreakDown(now + cache.offset, date, time);
    cache.lastCallTime = now;
    const int hoursSinceQuestion = date->day == cache.lastQueryDay
                                       ? time->hour - cache.lastQueryHour
                                       : time->hour + 24 - cache.lastQueryHour;
    if (hoursSinceQuestion < cache.checkInterval) return true;
    cache.lastDate = *date;
    cache.lastTime = *time;
    return false;
}

bool IsValid(const WSDate &date, const WSTime &time) {
    return date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= 31 &&
           time.hour <= 23 && time.minute <= 59 && time.second <= 59;
}

// An impossible answer gives way to the workstation clock, and is reported.
bool Validate(WSDate *date, WSTime *time, ImpossibleTimeReport report) {
    if (IsValid(*date, *time)) return true;
    WinGetWSDate(date);
    WinGetWSTime(time);
    if (report != nullptr) report();
    if (Runtime().networkKind == kNetworkNetWare) Runtime().networkKind = kNetworkNone;
    return false;
}

}  // namespace

void ResetNetworkTimeState() { cache = NetworkTimeState{}; }

void ReadNetworkClock(WSDate *date, WSTime *time, ImpossibleTimeReport report) {
    if (cache.checkInterval == 0) ReadCheckInterval();
    if (AnswerFromCache(date, time)) return;

    // A question: start from the workstation's date and time.
    WinGetWSDate(date);
    WinGetWSTime(time);
    const WSDate workstationDate = *date;
    const WSTime workstationTime = *time;
    cache.lastCallTime = Os().time();

    const bool answered = AskTimeSource(date, time);
    if (OptionSet(PLV_OPT_CLOCK_FILE)) {
        if (answered) Validate(date, time, report);
    } else if (!Validate(date, time, report)) {
        cache.lastCallTime = 0;
    }

    // Never hand out a time before one already handed out.
    if (GetTimeDifference(&cache.lastDate, &cache.lastTime, date, time) >= 0) {
        cache.lastDate = *date;
        cache.lastTime = *time;
        cache.lastQueryHour = time->hour;
        cache.lastQueryDay = date->day;
        cache.offset = GetTimeDifference(&workstationDate, &workstationTime, date, time);
        return;
    }
    *date = cache.lastDate;
    *time = cache.lastTime;
    cache.lastCallTime = 0;
}

}  // namespace plv
