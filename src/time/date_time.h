// Workstation date and time, and day numbers.
#pragma once

#include <cstdint>

#include "plvlib32.h"

namespace plv {

// Day number of 1 January 1980, the first day the library can represent.
constexpr std::int32_t kDayNumber1980 = 2444240;

constexpr std::uint32_t kSecondsPerDay = 86400;

// The inverse of DateToJulianDay; all three outputs 0 outside 1980-2045.
void JulianDayToDate(std::int32_t dayNumber, std::uint8_t *month, std::uint8_t *day,
                     std::uint16_t *year);

}  // namespace plv
