#include "settings/month_day_year.h"

#include <cstdint>
#include <cstdlib>

namespace plv {
namespace {

// Leading blanks, an optional sign, then digits; 0 when there are none.
long Decimal(const char *text) { return std::strtol(text, nullptr, 10); }

}  // namespace

PLVDate ParseMonthDayYear(const char *text) {
    char field[9];
    const char *rest = ParseString(text, "/", field, 8);
    const long month = Decimal(field);
    rest = ParseString(rest, "/", field, 8);
    const long day = Decimal(field);
    const long year = Decimal(rest);
    PLVDate date{};
    date.day = static_cast<std::uint8_t>(day);
    date.month = static_cast<std::uint8_t>(month);
    date.year = static_cast<std::uint16_t>(year);
    return date;
}

}  // namespace plv
