// FILETIME: 100-nanosecond ticks since 1 January 1601 UTC.
#include <chrono>
#include <ctime>

#include "platform/file_time.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
BOOL PosixPlatform::FileTimeToLocalFileTime(const FILETIME *fileTime, LPFILETIME localFileTime) {
    const std::int64_t ticks = TicksOf(*fileTime);
    const time_t seconds = static_cast<time_t>(CalendarSecondsOf(*fileTime));
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *localFileTime = FileTimeOfTicks(ticks + std::int64_t{local.tm_gmtoff} * kFileTimeTicksPerSecond);
    return TRUE;
}

BOOL PosixPlatform::FileTimeToSystemTime(const FILETIME *fileTime, LPSYSTEMTIME systemTime) {
    const std::int64_t ticks = TicksOf(*fileTime);
    if (ticks < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    using namespace std::chrono;
    const std::int64_t unixSeconds = CalendarSecondsOf(*fileTime);
    const sys_seconds moment{seconds{unixSeconds}};
    const sys_days day = floor<days>(moment);
    const year_month_day date{day};
    const hh_mm_ss<seconds> clock{moment - day};
    systemTime->wYear = static_cast<WORD>(static_cast<int>(date.year()));
    systemTime->wMonth = static_cast<WORD>(static_cast<unsigned>(date.month()));
    systemTime->wDay = static_cast<WORD>(static_cast<unsigned>(date.day()));
    systemTime->wDayOfWeek = static_cast<WORD>(weekday{day}.c_encoding());
    systemTime->wHour = static_cast<WORD>(clock.hours().count());
    systemTime->wMinute = static_cast<WORD>(clock.minutes().count());
    systemTime->wSecond = static_cast<WORD>(clock.seconds().count());
    systemTime->wMilliseconds = static_cast<WORD>(ticks % kFileTimeTicksPerSecond / 10000);
    return TRUE;
}

}  // namespace plv::posix
