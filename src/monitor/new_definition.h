// The description of an application that no definition recognised, read
// from the candidate and from its executable.
#pragma once

#include <string>

#include "monitor/definition_match.h"
#include "plvlib32.h"

namespace plv {

// Fills the new-definition record from the candidate and its executable.
// `directory` is the program path up to its last backslash.
void DescribeUnrecognised(const PLVCandidate &candidate, const std::string &directory,
                          CandidateFacts *facts, PLVNewDefinition *definition);

}  // namespace plv
