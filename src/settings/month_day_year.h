// Dates written month/day/year, as the settings file and the registry keep them.
#pragma once

#include "plvlib32.h"

namespace plv {

// Splits "M/D/Y" at its slashes and converts each part as decimal digits up
// to the first other character (0 when there are none).
PLVDate ParseMonthDayYear(const char *text);

}  // namespace plv
