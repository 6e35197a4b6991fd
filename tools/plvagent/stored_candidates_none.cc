#include "stored_candidates.h"

namespace plvagent {

std::optional<std::vector<Candidate>> StoredCandidates(const std::string &, std::string *why) {
    *why = "this build of plvagent reads no report database: run import-defs on the .DEF files";
    return std::nullopt;
}

}  // namespace plvagent
