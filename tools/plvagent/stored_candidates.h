// The applications the report database holds from the definition files
// imported into it (plvreport import), as candidates for import-defs. Built
// into plvagent where the report tool's storage is built; elsewhere the
// database cannot be read, and saying so is the answer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "def_import.h"

namespace plvagent {

// The database's definition lines in recorded order; nothing, with why,
// when the database cannot be read.
std::optional<std::vector<Candidate>> StoredCandidates(const std::string &location, std::string *why);

}  // namespace plvagent
