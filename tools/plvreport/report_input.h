// The files a report reads besides the database: the agent's definitions
// file and the licence counts. Whatever is wrong with one is an InputError
// naming its file and line.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace plvreport {

class InputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Every problem, one a line: "file:line: key: text".
[[noreturn]] void ThrowProblems(const std::vector<std::string> &problems);

}  // namespace plvreport
