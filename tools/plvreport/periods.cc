#include "periods.h"

#include <chrono>

#include "log_time.h"

namespace plvreport {
namespace {

using namespace std::chrono;

std::int64_t SecondsOf(sys_days day) {
    return static_cast<std::int64_t>(day.time_since_epoch().count()) * plv::logs::kSecondsPerDay;
}

year_month_day CivilDayOf(std::int64_t instant) {
    return year_month_day{sys_days{days{plv::logs::DayOf(instant) / plv::logs::kSecondsPerDay}}};
}

}  // namespace

std::int64_t PeriodOf(Period period, std::int64_t instant) {
    if (period == Period::day) return plv::logs::DayOf(instant);
    const year_month_day civil = CivilDayOf(instant);
    return SecondsOf(sys_days{civil.year() / civil.month() / 1});
}

std::int64_t NextPeriod(Period period, std::int64_t start) {
    if (period == Period::day) return start + plv::logs::kSecondsPerDay;
    const year_month_day civil = CivilDayOf(start);
    return SecondsOf(sys_days{(civil.year() / civil.month() + months{1}) / 1});
}

std::string PeriodText(Period period, std::int64_t start) {
    const std::string day = plv::logs::DayText(start);
    return period == Period::day ? day : day.substr(0, 7);
}

}  // namespace plvreport
