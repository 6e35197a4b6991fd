// What is wrong with a file the agent reads: the file, the line and the key
// where it shows, so an administrator can go straight to it.
#pragma once

#include <string>
#include <vector>

namespace plvagent {

struct Problem {
    std::string file;
    int line = 0;     // 0: the file as a whole
    std::string key;  // empty: the line as a whole
    std::string text;
};

using Problems = std::vector<Problem>;

// "file:line: key: text", leaving out what is not known.
std::string Describe(const Problem &problem);

}  // namespace plvagent
