// A tool of the build run as an administrator runs it: its output and
// errors kept, its exit awaited.
#pragma once

#include <string>
#include <vector>

namespace plv::testing {

struct ToolRun {
    int status = -1;  // the exit status; 128 + the signal that ended it
    std::string output, errors;
};

// Runs the program in the directory with the arguments; nothing comes in.
ToolRun RunTool(const std::string &program, const std::vector<std::string> &arguments,
                const std::string &directory);

}  // namespace plv::testing
