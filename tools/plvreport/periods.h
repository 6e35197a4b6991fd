// The periods reports count by: days and calendar months of the logged
// clock.
#pragma once

#include <cstdint>
#include <string>

namespace plvreport {

enum class Period { day, month };

// The first second of the period holding the instant.
std::int64_t PeriodOf(Period period, std::int64_t instant);
// The first second of the period after the one starting at start.
std::int64_t NextPeriod(Period period, std::int64_t start);
// "YYYY-MM-DD" or "YYYY-MM".
std::string PeriodText(Period period, std::int64_t start);

// Every period [from, to) touches, each with its own part of it.
template <typename Visit>
void ForEachPeriod(Period period, std::int64_t from, std::int64_t to, Visit visit) {
    for (std::int64_t start = PeriodOf(period, from); start < to;) {
        const std::int64_t next = NextPeriod(period, start);
        visit(start, start > from ? start : from, next < to ? next : to);
        start = next;
    }
}

}  // namespace plvreport
