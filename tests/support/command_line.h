// Command lines of Windows programs started by tests.
#pragma once

#include <string>
#include <vector>

namespace plv::testing {

// The words as one command line that the C runtime splits back into the
// same words: each quoted when it holds a blank, a tab or a quote, or is
// empty, with backslashes before a quote doubled.
std::string JoinCommandLine(const std::vector<std::string> &words);

// The full path of the running program.
std::string ThisProgram();

// The directory of the running program, without a trailing backslash.
std::string ThisProgramDirectory();

}  // namespace plv::testing
