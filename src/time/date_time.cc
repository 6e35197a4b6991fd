#include "time/date_time.h"

#include <ctime>

#include "platform/platform.h"

namespace plv {
namespace {

bool InRange(long year, long month, long day) {
    return year >= 1980 && year <= 2045 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

std::tm LocalNow() {
    std::tm local{};
    Os().localtime(Os().time(), &local);
    return local;
}

// Broken-down standard time of a moment; no date stands for 1 January 1990.
std::tm BrokenDown(const WSDate *date, const WSTime *time) {
    std::tm moment{};
    moment.tm_sec = time->second;
    moment.tm_min = time->minute;
    moment.tm_hour = time->hour;
    if (date != nullptr) {
        moment.tm_mday = date->day;
        moment.tm_mon = date->month - 1;
        moment.tm_year = date->year - 1900;
    } else {
        moment.tm_mday = 1;
        moment.tm_mon = 0;
        moment.tm_year = 90;
    }
    moment.tm_isdst = 0;
    return moment;
}

}  // namespace

// Fliegel and Van Flandern; C++ division truncates toward zero as they require.
void JulianDayToDate(std::int32_t dayNumber, std::uint8_t *month, std::uint8_t *day,
                     std::uint16_t *year) {
    long l = dayNumber + 68569L;
    const long n = 4 * l / 146097;
    l = l - (146097 * n + 3) / 4;
    const long i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    const long j = 80 * l / 2447;
    const long d = l - 2447 * j / 80;
    l = j / 11;
    const long m = j + 2 - 12 * l;
    const long y = 100 * (n - 49) + i + l;
    if (!InRange(y, m, d)) {
        *month = 0;
        *day = 0;
        *year = 0;
        return;
    }
    *month = static_cast<std::uint8_t>(m);
    *day = static_cast<std::uint8_t>(d);
    *year = static_cast<std::uint16_t>(y);
}

}  // namespace plv

extern "C" PLV_EXPORT void PLVAPI WinGetWSDate(WSDate *date) {
    const std::tm local = plv::LocalNow();
    date->day = static_cast<std::uint8_t>(local.tm_mday);
    date->month = static_cast<std::uint8_t>(local.tm_mon + 1);
    date->year = static_cast<std::uint16_t>(local.tm_year + 1900);
    date->dayOfWeek = static_cast<std::uint8_t>(local.tm_wday);
}

extern "C" PLV_EXPORT void PLVAPI WinGetWSTime(WSTime *time) {
    const std::tm local = plv::LocalNow();
    time->hour = static_cast<std::uint8_t>(local.tm_hour);
    time->minute = static_cast<std::uint8_t>(local.tm_min);
    time->second = static_cast<std::uint8_t>(local.tm_sec);
    time->hundredths = 0;
}

extern "C" PLV_EXPORT int32_t PLVAPI GetTimeDifference(const WSDate *date1, const WSTime *time1,
                                                       const WSDate *date2, const WSTime *time2) {
    std::tm first = plv::BrokenDown(date1, time1);
    std::tm second = plv::BrokenDown(date2, time2);
    const std::int64_t difference = plv::Os().mktime(&second) - plv::Os().mktime(&first);
    return static_cast<int32_t>(difference);
}

extern "C" PLV_EXPORT int32_t PLVAPI DateToJulianDay(uint8_t month, uint8_t day, uint16_t year) {
    if (!plv::InRange(year, month, day)) return 0;
    const long m = month, d = day, y = year;
    const long a = (m - 14) / 12;
    return static_cast<int32_t>(d - 32075 + 1461 * (y + 4800 + a) / 4 +
                                367 * (m - 2 - 12 * a) / 12 -
                                3 * ((y + 4900 + a) / 100) / 4);
}
