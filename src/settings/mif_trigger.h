// The MIF generation trigger: the MIF generator is started once per SMS
// reporting period, counted from the SMS start date.
#pragma once

#include <cstdint>

#include "plvlib32.h"

namespace plv {

struct MifTriggerState {
    bool failureLogged = false;  // "MIF Generation Failed" once per library lifetime
};

void ResetMifTriggerState();

// True when today lies in a later period than the last launch, or no
// launch was recorded, or the clock was set back before it.
bool IsMIFDue(const PLVDate &start, const PLVDate &last, const PLVDate &today, char frequency);

// Whole periods of `months` months from the start up to the date.
std::uint32_t CountMonthPeriods(const PLVDate &start, const PLVDate &date, std::uint32_t months);

// The registry's record of the last launch; all zero when none.
PLVDate ReadLastMIFDate();
void WriteLastMIFDate(const PLVDate &date);

}  // namespace plv
