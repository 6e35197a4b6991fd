// Which candidates the scan passes over (the ignore lists, programs already
// known), and the admission of the rest.
#pragma once

#include "monitor/ignore_list.h"
#include "plvlib32.h"

namespace plv {

struct FilterState {
    IgnoreList<64> programs{true};   // program names, without regard to case
    IgnoreList<132> classes{false};  // class names, exactly
};

void ResetFilterState();

bool IsKnownProgram(const PLVCandidate *candidate);

// Identifies and admits the candidate; null when it is not metered.
PLVMeteredApp *AdmitCandidate(PLVCandidate *candidate);

}  // namespace plv
