// Which candidates the scan passes over (the ignore lists, programs already
// known), and the admission of the rest.
#pragma once

#include "plvlib32.h"

namespace plv {

struct FilterState {
    char lastProgramName[64] = {};  // last program name that passed the ignore list
    char lastClassName[132] = {};   // last class name that passed the ignore list
};

void ResetFilterState();

bool IsKnownProgram(const PLVCandidate *candidate);

// Identifies and admits the candidate; null when it is not metered.
PLVMeteredApp *AdmitCandidate(PLVCandidate *candidate);

}  // namespace plv
