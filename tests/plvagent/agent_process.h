// plvagent run by a test: its own working directory and environment, its
// standard output and error kept in files, its exit awaited with a limit.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace plvagent::testing {

// The plvagent the build made.
std::string AgentProgram();

// The library meters only with its process-list module (PLVNTPRL.DLL,
// libplvntprl.so) beside it; a test of a metering agent fails without it.
::testing::AssertionResult ProcessListModuleIsBuilt();

class AgentProcess {
  public:
    // Runs program with the arguments in directory; environment entries
    // ("NAME=value") are added to the test's own.
    AgentProcess(const std::string &program, const std::vector<std::string> &arguments,
                 const std::string &directory, const std::vector<std::string> &environment = {});
    ~AgentProcess();
    AgentProcess(const AgentProcess &) = delete;
    AgentProcess &operator=(const AgentProcess &) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    void Signal(int signal) const;
    // The exit status once the process has ended within the limit (a
    // signal that ended it as 128 + its number); nothing when it still runs.
    std::optional<int> Wait(std::chrono::milliseconds limit);

    std::string Output() const;
    std::string Errors() const;
    // Whether the standard error (output) comes to hold the text within 30
    // seconds; what it holds if not.
    ::testing::AssertionResult Says(const std::string &text) const;
    ::testing::AssertionResult Prints(const std::string &text) const;

  private:
    pid_t pid_ = -1;
    std::string outputPath_;
    std::string errorPath_;
};

// Asks until the condition holds or the limit has passed; whether it held.
bool Eventually(const std::function<bool()> &condition, std::chrono::milliseconds limit);

}  // namespace plvagent::testing
