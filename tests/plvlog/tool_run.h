// A tool of the build run as an administrator runs it, in a directory of the
// test's own: nothing comes in, its output and errors are kept there (in
// .tool-output and .tool-errors), its exit is awaited.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace plv::testing {

// Asks until the condition holds or the limit has passed; whether it held.
bool Eventually(const std::function<bool()> &condition, std::chrono::milliseconds limit);

// The tool while it runs; killed if it still runs when the object goes.
class ToolProcess {
  public:
    // Environment entries ("NAME=value") are added to the test's own.
    ToolProcess(const std::string &program, const std::vector<std::string> &arguments,
                const std::string &directory, const std::vector<std::string> &environment = {});
    ~ToolProcess();
    ToolProcess(const ToolProcess &) = delete;
    ToolProcess &operator=(const ToolProcess &) = delete;

    pid_t pid() const { return pid_; }
    void Signal(int signal) const;
    // The exit status once the process has ended within the limit (a
    // signal that ended it as 128 + its number); nothing when it still runs.
    std::optional<int> Wait(std::chrono::milliseconds limit);
    std::string Output() const;
    std::string Errors() const;
    // Whether the errors (output) come to hold the text within 30 seconds;
    // what they hold if not.
    ::testing::AssertionResult Says(const std::string &text) const;
    ::testing::AssertionResult Prints(const std::string &text) const;

  private:
    pid_t pid_ = -1;
    std::string outputPath_, errorPath_;
};

struct ToolRun {
    int status = -1;  // the exit status; 128 + the signal that ended it
    std::string output, errors;
};

// Runs the program in the directory with the arguments to its end.
ToolRun RunTool(const std::string &program, const std::vector<std::string> &arguments,
                const std::string &directory);
// The same with /dev/full as its output, where every write fails as on a
// full disk (no argument may hold a single quote).
ToolRun RunToolOnAFullDisk(const std::string &program, const std::vector<std::string> &arguments,
                           const std::string &directory);

}  // namespace plv::testing
