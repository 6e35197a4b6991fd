#include "problems.h"

namespace plvagent {

std::string Describe(const Problem &problem) {
    std::string description = problem.file;
    if (problem.line > 0) description += ":" + std::to_string(problem.line);
    description += ": ";
    if (!problem.key.empty()) description += problem.key + ": ";
    return description + problem.text;
}

}  // namespace plvagent
